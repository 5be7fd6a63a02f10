#include "platform/NettopParser.h"
#include "platform/ProcessTraffic.h"

#include <QProcess>
#include <QStringDecoder>

#include <optional>

namespace {

// Runs the system's per-process statistics tool once per sample.
class NettopProcessTraffic final : public ProcessTraffic {
public:
    std::optional<AppSample> sample() override {
        const std::optional<QString> output = runNettop();
        if (!output)
            return std::nullopt;
        // nettop always lists some process, and its counts run from each process's start:
        // output without a usable line was not understood, and must not become a baseline
        // against which whole lifetimes would be booked next time.
        AppSample sample = parseNettop(*output);
        if (sample.empty())
            return std::nullopt;
        return sample;
    }

private:
    static std::optional<QString> runNettop() {
        QProcess nettop;
        nettop.setStandardErrorFile(QProcess::nullDevice());
        nettop.start(QStringLiteral("/usr/bin/nettop"),
                     {QStringLiteral("-P"), QStringLiteral("-x"), QStringLiteral("-L"),
                      QStringLiteral("1"), QStringLiteral("-s"), QStringLiteral("1")});
        if (!nettop.waitForStarted())
            return std::nullopt;
        nettop.waitForFinished(-1);
        if (nettop.exitStatus() != QProcess::NormalExit || nettop.exitCode() != 0)
            return std::nullopt;
        QStringDecoder decoder(QStringDecoder::Utf8);
        const QString text = decoder.decode(nettop.readAllStandardOutput());
        if (decoder.hasError())
            return std::nullopt;
        return text;
    }
};

} // namespace

std::unique_ptr<ProcessTraffic> ProcessTraffic::create(ProcessTrafficNotice) {
    return std::make_unique<NettopProcessTraffic>();
}

AppTrafficSource ProcessTraffic::sourceOnThisMachine() {
    return AppTrafficSource::AllProtocols;
}
