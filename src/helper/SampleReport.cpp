#include "SampleReport.h"

namespace {

std::string printableName(const std::string& name) {
    std::string printable = name;
    for (char& c : printable) {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f)
            c = '?';
    }
    return printable;
}

} // namespace

std::string formatSampleReport(const std::vector<ProcessTotals>& processes,
                               std::uint32_t viewerUid) {
    std::string report;
    for (const ProcessTotals& process : processes) {
        if (viewerUid != 0 && process.uid != viewerUid)
            continue;
        if (process.name.empty())
            continue;
        report += std::to_string(process.pid) + ' ' + printableName(process.name) + ' ' +
                  std::to_string(process.received) + ' ' + std::to_string(process.sent) + '\n';
    }
    report += '\n';
    return report;
}
