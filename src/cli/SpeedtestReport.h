#pragma once

#include "speedtest/core/SpeedTestEngine.h"

#include <QByteArray>
#include <QString>

// Texts of `vorn speedtest`.
namespace SpeedtestReport {

// The result for people: figures, grade, nodes, network and the summary line.
QString resultText(const SpeedTestEngine::Result& result);

// The result for scripts: the history record's 13 keys plus "downNodeDetail",
// "networkInfo" and the latency under load ("loadedDownMs", "loadedUpMs", "bloatMs",
// "bloatGrade", "rpm"), as one JSON object and a newline; ts is seconds since 1970. An upload
// that was not measured has null for upMbps, a figure under load that was not measured null.
QByteArray resultJson(const SpeedTestEngine::Result& result, double ts);

// One live line: phase, rates and a progress bar of the given width.
QString progressLine(SpeedTestEngine::Phase phase, double instantMbps, double averageMbps,
                     double progress, int barWidth = 24);

} // namespace SpeedtestReport
