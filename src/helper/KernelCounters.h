#pragma once

#include "CounterStore.h"

#include <memory>
#include <string>

struct traffic_counters;

// The counting programs, loaded and attached to the cgroup2 root through bpf links: they stay
// attached while this object lives, and the kernel detaches them when the process ends in any
// way, a crash included.
class KernelCounters final : public CounterStore {
public:
    // Attached counters, or none with the reason in error.
    static std::unique_ptr<KernelCounters> attach(std::string& error);
    ~KernelCounters() override;
    KernelCounters(const KernelCounters&) = delete;
    KernelCounters& operator=(const KernelCounters&) = delete;

    std::vector<std::uint32_t> processIds() override;
    std::optional<process_bytes> readProcess(std::uint32_t pid, bool remove) override;
    std::vector<std::uint64_t> unownedSockets() override;
    std::optional<byte_counts> takeUnowned(std::uint64_t cookie) override;
    void adopt(std::uint64_t cookie, std::uint32_t pid, std::uint32_t uid,
               std::string_view name) override;
    void setCountedLinks(const std::vector<std::uint32_t>& indexes) override;

private:
    KernelCounters(traffic_counters* skeleton, std::uint64_t netns);

    traffic_counters* m_skeleton;
    std::uint64_t m_netns;
    std::vector<std::uint32_t> m_countedLinks;
};
