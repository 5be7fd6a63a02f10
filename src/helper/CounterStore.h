#pragma once

#include "TrafficMaps.h"

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

// The kernel's byte counters as the helper reads and amends them.
class CounterStore {
public:
    virtual ~CounterStore() = default;

    virtual std::vector<std::uint32_t> processIds() = 0;
    // A process's record; with remove it is taken out in the same step, so no packet counted
    // between reading and removing is lost.
    virtual std::optional<process_bytes> readProcess(std::uint32_t pid, bool remove) = 0;

    // Sockets with bytes whose creator was never seen.
    virtual std::vector<std::uint64_t> unownedSockets() = 0;
    virtual std::optional<byte_counts> takeUnowned(std::uint64_t cookie) = 0;
    // From now on the socket's packets count for this process.
    virtual void adopt(std::uint64_t cookie, std::uint32_t pid, std::uint32_t uid,
                       std::string_view name) = 0;

    // The interfaces (by index) whose packets count.
    virtual void setCountedLinks(const std::vector<std::uint32_t>& indexes) = 0;
};
