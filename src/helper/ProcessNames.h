#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>

// Process names as /proc/PID/comm gives them: the process's own name, which the program's
// socket-table source uses too, rather than the name of the thread that made a socket. A name
// stays known for a few samples after the process ended, so packets that still arrive for its
// sockets keep it.
class ProcessNames {
public:
    explicit ProcessNames(std::string procRoot = "/proc");

    // The name of a process; recorded (the creating thread's name) when it has already ended
    // and was never seen alive.
    std::string nameOf(std::uint32_t pid, std::string_view recorded);
    // Ends a sample: names not asked for in the last few samples are forgotten.
    void endSample();

private:
    struct Known {
        std::string name;
        std::uint64_t lastAsked = 0;
    };
    std::string m_procRoot;
    std::unordered_map<std::uint32_t, Known> m_names;
    std::uint64_t m_sample = 0;
};
