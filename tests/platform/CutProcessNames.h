#pragma once

#include "support/FakeProc.h"

#include <string>

// Processes whose names the kernel cut at 15 bytes, or did not: either source of per-process
// traffic must name each `expected`.
struct CutProcessName {
    const char* pid;
    const char* comm;
    const char* exe; // empty: not readable
    const char* argv0;
    const char* expected;
};

inline constexpr CutProcessName kCutProcessNames[] = {
    {"10", "netease-cloud-m", "/opt/netease/netease-cloud-music/netease-cloud-music",
     "netease-cloud-music", "netease-cloud-music"},
    {"11", "a-replaced-long", "/usr/bin/a-replaced-long-name (deleted)", "",
     "a-replaced-long-name"},
    {"12", "electron-long-a", "/usr/lib/electron/electron", "/opt/App/electron-long-app",
     "electron-long-app"},
    {"13", "electron-long-a", "", "/opt/App/electron-long-app", "electron-long-app"},
    {"14", "worker-thread-1", "/usr/bin/python3.11", "python3", "worker-thread-1"},
    {"15", "short-name", "/usr/bin/short-name-but-long-binary", "", "short-name"},
    {"16", "name-of-15-byte", "/usr/bin/name-of-15-byte", "", "name-of-15-byte"},
    // Cut inside a character: completed from the bytes, not from decoded text.
    {"17", "ab网易云音\xe4", "/opt/music/ab网易云音乐播放", "", "ab网易云音乐播放"},
};

// Each of kCutProcessNames in proc, holding socket inode 500 + pid as its descriptor 3.
inline void addCutProcessNames(FakeProc& proc) {
    for (const CutProcessName& process : kCutProcessNames) {
        const std::string socket = "socket:[" + std::to_string(500 + std::stoi(process.pid)) + "]";
        proc.addProcess(process.pid, std::string(process.comm) + '\n', {{"3", socket}});
        proc.setProgram(process.pid, process.exe, process.argv0);
    }
}
