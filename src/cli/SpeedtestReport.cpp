#include "cli/SpeedtestReport.h"

#include "common/CFormat.h"

#include <QJsonDocument>
#include <QJsonObject>

#include <cmath>

namespace {

QString orDash(const QString& text) {
    return text.isEmpty() ? QStringLiteral("—") : text;
}

double finiteOrZero(double value) {
    return std::isfinite(value) ? value : 0;
}

QJsonValue orNull(std::optional<double> value) {
    return value && std::isfinite(*value) ? QJsonValue(*value) : QJsonValue(QJsonValue::Null);
}

QString millisecondsOrDash(std::optional<double> ms) {
    return ms ? cformat("%.0f ms", *ms) : QStringLiteral("--");
}

QString loadedLatencyLine(const SpeedTestEngine::Result& result) {
    QString line = QStringLiteral("负载延迟  下载时 ") + millisecondsOrDash(result.loadedDownMs) +
                   QStringLiteral(" · 上传时 ") + millisecondsOrDash(result.loadedUpMs);
    // The full-width parenthesis closes with its own space, so no blank before the dot.
    const auto increase = result.bloatMs();
    line += increase ? cformat(" · 增加 %.0f ms", *increase) +
                           QStringLiteral("（%1 级）· 响应度 ").arg(result.bloatGrade())
                     : QStringLiteral(" · 增加 -- · 响应度 ");
    const auto rpm = result.rpm();
    return line + (rpm ? cformat("%.0f RPM", *rpm) : QStringLiteral("--"));
}

} // namespace

namespace SpeedtestReport {

QString resultText(const SpeedTestEngine::Result& result) {
    QString text;
    text += cformat("下载　%.1f Mbps\n", result.downMbps);
    text += QStringLiteral("上传　%1\n").arg(result.uploadFigure());
    if (result.noUploadNode)
        text += QStringLiteral("　　　没有上传节点，未测上传\n");
    text += cformat("延迟　%.0f ms（抖动 ±%.1f ms）\n", result.latencyMs, result.jitterMs);
    text += loadedLatencyLine(result) + QLatin1Char('\n');
    text += QStringLiteral("评级　%1 · %2\n").arg(result.grade(), result.capability());
    QString downNode = result.downNode;
    if (!result.downNodeDetail.isEmpty())
        downNode += QStringLiteral("（%1）").arg(result.downNodeDetail);
    text += QStringLiteral("节点　%1 / %2\n").arg(downNode, result.upNode);
    text += QStringLiteral("网络　%1\n").arg(orDash(result.networkInfo));
    text += QStringLiteral("网卡　%1 · MAC %2 · IPv4 %3 · IPv6 %4\n")
                .arg(orDash(result.iface), orDash(result.mac), orDash(result.ipv4),
                     orDash(result.ipv6));
    text += QStringLiteral("公网 IP　%1\n").arg(orDash(result.publicIP));
    text += result.summaryLine() + QLatin1Char('\n');
    return text;
}

QByteArray resultJson(const SpeedTestEngine::Result& result, double ts) {
    const QJsonObject object{
        {QStringLiteral("ts"), ts},
        {QStringLiteral("downMbps"), finiteOrZero(result.downMbps)},
        {QStringLiteral("upMbps"),
         result.noUploadNode ? QJsonValue(QJsonValue::Null) : finiteOrZero(result.upMbps)},
        {QStringLiteral("latencyMs"), finiteOrZero(result.latencyMs)},
        {QStringLiteral("jitterMs"), finiteOrZero(result.jitterMs)},
        {QStringLiteral("grade"), result.grade()},
        {QStringLiteral("downNode"), result.downNode},
        {QStringLiteral("upNode"), result.upNode},
        {QStringLiteral("iface"), result.iface},
        {QStringLiteral("mac"), result.mac},
        {QStringLiteral("ipv4"), result.ipv4},
        {QStringLiteral("ipv6"), result.ipv6},
        {QStringLiteral("publicIP"), result.publicIP},
        {QStringLiteral("downNodeDetail"), result.downNodeDetail},
        {QStringLiteral("networkInfo"), result.networkInfo},
        {QStringLiteral("loadedDownMs"), orNull(result.loadedDownMs)},
        {QStringLiteral("loadedUpMs"), orNull(result.loadedUpMs)},
        {QStringLiteral("bloatMs"), orNull(result.bloatMs())},
        {QStringLiteral("bloatGrade"),
         result.bloatMs() ? QJsonValue(result.bloatGrade()) : QJsonValue(QJsonValue::Null)},
        {QStringLiteral("rpm"), orNull(result.rpm())},
    };
    return QJsonDocument(object).toJson(QJsonDocument::Compact) + '\n';
}

QString progressLine(SpeedTestEngine::Phase phase, double instantMbps, double averageMbps,
                     double progress, int barWidth) {
    const double clamped = std::clamp(progress, 0.0, 1.0);
    const int filled = int(std::lround(clamped * barWidth));
    const QString bar = QString(filled, QChar(0x2588)) + QString(barWidth - filled, QChar(0x2591));
    QString line = SpeedTestEngine::label(phase) + QLatin1Char(' ');
    if (phase == SpeedTestEngine::Phase::download || phase == SpeedTestEngine::Phase::upload)
        line += cformat("%7.1f Mbps（平均 %.1f） ", instantMbps, averageMbps);
    return line + bar + cformat(" %3.0f%%", clamped * 100);
}

} // namespace SpeedtestReport
