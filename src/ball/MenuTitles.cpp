#include "ball/MenuTitles.h"

#include "rates/RateFormat.h"

namespace MenuTitles {

namespace {
quint64 inBytes(const std::optional<DailyTraffic>& day) {
    return day ? day->totalIn : 0;
}
quint64 outBytes(const std::optional<DailyTraffic>& day) {
    return day ? day->totalOut : 0;
}
} // namespace

QString today(const std::optional<DailyTraffic>& day) {
    return QStringLiteral("今日 ↓ ") + fmtBytes(inBytes(day)) + QStringLiteral(" ↑ ") +
           fmtBytes(outBytes(day));
}

QString todayWide(const std::optional<DailyTraffic>& day) {
    return QStringLiteral("今日  ↓ ") + fmtBytes(inBytes(day)) + QStringLiteral("  ↑ ") +
           fmtBytes(outBytes(day));
}

QString peaks(double peakUp, double peakDown) {
    return QStringLiteral("峰值  ↑ ") + fmtSpeed(peakUp) + QStringLiteral("    ↓ ") +
           fmtSpeed(peakDown);
}

QString totals(quint64 totalUp, quint64 totalDown) {
    return QStringLiteral("累计  ↑ ") + fmtBytes(totalUp) + QStringLiteral("    ↓ ") +
           fmtBytes(totalDown);
}

} // namespace MenuTitles
