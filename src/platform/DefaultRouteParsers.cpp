#include "platform/DefaultRoute.h"

#include <QStringDecoder>
#include <QStringList>

#include <limits>

namespace {

constexpr unsigned kRouteUp = 0x1;

QString trimSpacesAndTabs(QString text) {
    qsizetype begin = 0;
    qsizetype end = text.size();
    auto blank = [](QChar c) { return c == QLatin1Char(' ') || c == QLatin1Char('\t'); };
    while (begin < end && blank(text[begin]))
        ++begin;
    while (end > begin && blank(text[end - 1]))
        --end;
    return text.mid(begin, end - begin);
}

} // namespace

QString parseProcNetRoute(QByteArrayView text) {
    // Iface Destination Gateway Flags RefCnt Use Metric Mask ...
    const QStringList lines = QString::fromLatin1(text).split(QLatin1Char('\n'));
    QString best;
    qulonglong bestMetric = std::numeric_limits<qulonglong>::max();
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const QStringList fields = lines[i].simplified().split(QLatin1Char(' '));
        if (fields.size() < 8)
            continue;
        bool ok[4] = {};
        const qulonglong destination = fields[1].toULongLong(&ok[0], 16);
        const qulonglong flags = fields[3].toULongLong(&ok[1], 16);
        const qulonglong metric = fields[6].toULongLong(&ok[2], 10);
        const qulonglong mask = fields[7].toULongLong(&ok[3], 16);
        if (!ok[0] || !ok[1] || !ok[2] || !ok[3] || destination != 0 || mask != 0 ||
            !(flags & kRouteUp))
            continue;
        if (best.isEmpty() || metric < bestMetric) {
            best = fields[0];
            bestMetric = metric;
        }
    }
    return best;
}

QString parseRouteGetDefault(QByteArrayView output) {
    QStringDecoder decoder(QStringDecoder::Utf8);
    const QString text = decoder(output);
    if (decoder.hasError())
        return {};
    const QStringList lines = text.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    for (const QString& line : lines) {
        QString trimmed = trimSpacesAndTabs(line);
        if (trimmed.startsWith(QLatin1String("interface:")))
            return trimSpacesAndTabs(trimmed.remove(QLatin1String("interface:")));
    }
    return {};
}
