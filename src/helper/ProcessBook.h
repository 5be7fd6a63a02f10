#pragma once

#include "CounterStore.h"
#include "ProcessNames.h"
#include "ProcessTotals.h"

#include <functional>
#include <unordered_map>
#include <vector>

// Each process's bytes: what the kernel counted for it plus what was adopted from sockets
// whose creator was found only later. A process that has ended is reported one last time and
// then dropped, so the helper's memory follows the live processes.
class ProcessBook {
public:
    using IsAlive = std::function<bool(std::uint32_t pid)>;
    ProcessBook(CounterStore& store, ProcessNames& names, IsAlive isAlive);

    void addAdopted(std::uint32_t pid, std::uint32_t uid, const byte_counts& bytes);
    // Every process with bytes, ordered by process id.
    std::vector<ProcessTotals> collect();

private:
    struct Adopted {
        std::uint32_t uid = 0;
        byte_counts bytes{};
    };
    CounterStore& m_store;
    ProcessNames& m_names;
    IsAlive m_isAlive;
    std::unordered_map<std::uint32_t, Adopted> m_adopted;
};
