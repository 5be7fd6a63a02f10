#pragma once

#include "ProcessTotals.h"

#include <cstdint>
#include <string>
#include <vector>

// The answer to one request: a line "pid name received sent" per process the viewer may see
// (its own processes; every process when the viewer is root), then an empty line. Control
// characters in names become '?', so a name can never end a line or the answer early; a
// process without a name is left out.
std::string formatSampleReport(const std::vector<ProcessTotals>& processes,
                               std::uint32_t viewerUid);
