#include "platform/NettopParser.h"
#include "platform/ProcessTraffic.h"

#include <QProcess>
#include <QStringDecoder>

namespace {

// Runs the system's per-process statistics tool once per sample.
class NettopProcessTraffic final : public ProcessTraffic {
public:
    AppSample sample() override { return parseNettop(runNettop()); }

private:
    static QString runNettop() {
        QProcess nettop;
        nettop.setStandardErrorFile(QProcess::nullDevice());
        nettop.start(QStringLiteral("/usr/bin/nettop"),
                     {QStringLiteral("-P"), QStringLiteral("-x"), QStringLiteral("-L"),
                      QStringLiteral("1"), QStringLiteral("-s"), QStringLiteral("1")});
        if (!nettop.waitForStarted())
            return QString();
        nettop.waitForFinished(-1);
        QStringDecoder decoder(QStringDecoder::Utf8);
        const QString text = decoder.decode(nettop.readAllStandardOutput());
        return decoder.hasError() ? QString() : text;
    }
};

} // namespace

std::unique_ptr<ProcessTraffic> ProcessTraffic::create() {
    return std::make_unique<NettopProcessTraffic>();
}
