#pragma once

#include "CounterStore.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <string>

// The kernel's maps as plain containers, with a record of what the helper did to them.
class FakeCounterStore final : public CounterStore {
public:
    struct Adoption {
        std::uint32_t pid;
        std::uint32_t uid;
        std::string name;
        friend bool operator==(const Adoption&, const Adoption&) = default;
    };

    void setProcess(std::uint32_t pid, std::uint32_t uid, const char* comm, std::uint64_t received,
                    std::uint64_t sent) {
        process_bytes record{};
        record.bytes = {received, sent};
        record.uid = uid;
        std::memcpy(record.comm, comm, std::min(std::strlen(comm), sizeof record.comm - 1));
        processes[pid] = record;
    }

    std::vector<std::uint32_t> processIds() override {
        std::vector<std::uint32_t> ids;
        for (const auto& [pid, record] : processes)
            ids.push_back(pid);
        return ids;
    }
    std::optional<process_bytes> readProcess(std::uint32_t pid, bool remove) override {
        const auto found = processes.find(pid);
        if (found == processes.end())
            return std::nullopt;
        const process_bytes record = found->second;
        if (remove)
            processes.erase(found);
        return record;
    }
    std::vector<std::uint64_t> unownedSockets() override {
        std::vector<std::uint64_t> cookies;
        for (const auto& [cookie, bytes] : unowned)
            cookies.push_back(cookie);
        return cookies;
    }
    std::optional<byte_counts> takeUnowned(std::uint64_t cookie) override {
        const auto found = unowned.find(cookie);
        if (found == unowned.end())
            return std::nullopt;
        const byte_counts bytes = found->second;
        unowned.erase(found);
        return bytes;
    }
    void adopt(std::uint64_t cookie, std::uint32_t pid, std::uint32_t uid,
               std::string_view name) override {
        adopted[cookie] = Adoption{pid, uid, std::string(name)};
    }
    void setCountedLinks(const std::vector<std::uint32_t>& indexes) override {
        countedLinks = indexes;
    }

    std::map<std::uint32_t, process_bytes> processes;
    std::map<std::uint64_t, byte_counts> unowned;
    std::map<std::uint64_t, Adoption> adopted;
    std::vector<std::uint32_t> countedLinks;
};
