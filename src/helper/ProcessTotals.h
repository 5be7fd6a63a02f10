#pragma once

#include <cstdint>
#include <string>

// What the helper reports of one process: bytes on the counted links since it started.
struct ProcessTotals {
    std::uint32_t pid = 0;
    std::uint32_t uid = 0;
    std::string name;
    std::uint64_t received = 0;
    std::uint64_t sent = 0;

    friend bool operator==(const ProcessTotals&, const ProcessTotals&) = default;
};
