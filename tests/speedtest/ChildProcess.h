#pragma once

#include <QString>
#include <QStringList>

#include <sys/types.h>

// A child process started with posix_spawn. QProcess forks through clone() behind the
// sanitizers' back, which ThreadSanitizer cannot follow; the test servers must run under it.
class ChildProcess {
public:
    ChildProcess() = default;
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;
    ~ChildProcess();

    // Starts program (looked up in PATH) in directory, its stderr going to stderrFile when given.
    bool start(const QString& program, const QStringList& arguments, const QString& directory,
               const QString& stderrFile = {});
    bool isRunning();
    // Waits up to timeoutMs; the exit code, or -1 when it did not exit normally in time.
    int waitForExit(int timeoutMs);
    // SIGTERM, then SIGKILL when it has not exited within timeoutMs.
    void stop(int timeoutMs = 5000);

private:
    pid_t m_pid = -1;
    int m_status = 0;
};
