#include "speedtest/core/SpeedTestResult.h"

#include "common/CFormat.h"
#include "speedtest/core/LoadedLatency.h"

QString SpeedTestResult::grade() const {
    if (downMbps <= 0)
        return QStringLiteral("--");
    if (downMbps >= 500)
        return QStringLiteral("极速");
    if (downMbps >= 200)
        return QStringLiteral("优秀");
    if (downMbps >= 100)
        return QStringLiteral("很好");
    if (downMbps >= 50)
        return QStringLiteral("良好");
    if (downMbps >= 20)
        return QStringLiteral("够用");
    return QStringLiteral("偏慢");
}

QString SpeedTestResult::capability() const {
    if (downMbps <= 0)
        return QStringLiteral("尚未测速");
    if (downMbps >= 100)
        return QStringLiteral("可流畅 4K / 多设备并发");
    if (downMbps >= 50)
        return QStringLiteral("可流畅 4K 视频");
    if (downMbps >= 25)
        return QStringLiteral("可流畅 1080P 视频");
    if (downMbps >= 10)
        return QStringLiteral("可流畅 720P 视频");
    return QStringLiteral("仅够网页与消息");
}

QString SpeedTestResult::uploadFigure() const {
    return noUploadNode ? QStringLiteral("未测量") : cformat("%.1f Mbps", upMbps);
}

QString SpeedTestResult::summaryLine() const {
    // The node names are appended rather than formatted: they may contain '%'.
    return cformat("↓ %.1f Mbps  ↑ ", downMbps) + uploadFigure() +
           cformat("  ⏱ %.0f ms（±%.1f）  ", latencyMs, jitterMs) + downNode +
           QStringLiteral(" / ") + upNode;
}

std::optional<double> SpeedTestResult::bloatMs() const {
    return LoadedLatency::increaseMs(latencyMs, loadedDownMs, loadedUpMs);
}

QString SpeedTestResult::bloatGrade() const {
    const auto increase = bloatMs();
    return increase ? LoadedLatency::grade(*increase) : QString();
}

std::optional<double> SpeedTestResult::rpm() const {
    return LoadedLatency::roundTripsPerMinute(loadedDownMs, loadedUpMs);
}
