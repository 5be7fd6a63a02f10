#pragma once

#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>
#include <utility>
#include <vector>

// A /proc-like tree in a temporary directory: PID/comm, PID/fd links, PID/exe and PID/cmdline.
class FakeProc {
public:
    FakeProc() {
        char pattern[] = "/tmp/vorn-helper-proc-XXXXXX";
        m_root = mkdtemp(pattern);
    }
    ~FakeProc() { std::filesystem::remove_all(m_root); }
    FakeProc(const FakeProc&) = delete;
    FakeProc& operator=(const FakeProc&) = delete;

    void addProcess(const std::string& pid, const std::string& comm,
                    const std::vector<std::pair<std::string, std::string>>& fds = {}) {
        const std::filesystem::path dir = std::filesystem::path(m_root) / pid;
        std::filesystem::create_directories(dir / "fd");
        std::ofstream(dir / "comm") << comm;
        for (const auto& [fd, target] : fds)
            std::filesystem::create_symlink(target, dir / "fd" / fd);
    }
    // The process's executable (a link; none when exe is empty) and its argv[0].
    void setProgram(const std::string& pid, const std::string& exe, const std::string& argv0) {
        const std::filesystem::path dir = std::filesystem::path(m_root) / pid;
        if (!exe.empty())
            std::filesystem::create_symlink(exe, dir / "exe");
        std::ofstream(dir / "cmdline") << argv0 << '\0' << "--flag" << '\0';
    }
    void removeProcess(const std::string& pid) {
        std::filesystem::remove_all(std::filesystem::path(m_root) / pid);
    }
    const std::string& root() const { return m_root; }

private:
    std::string m_root;
};
