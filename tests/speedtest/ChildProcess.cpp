#include "ChildProcess.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QThread>

#include <csignal>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

#include <vector>

extern char** environ;

ChildProcess::~ChildProcess() {
    stop();
}

bool ChildProcess::start(const QString& program, const QStringList& arguments,
                         const QString& directory, const QString& stderrFile) {
    std::vector<QByteArray> storage{QFile::encodeName(program)};
    for (const QString& argument : arguments)
        storage.push_back(argument.toLocal8Bit());
    std::vector<char*> argv;
    for (QByteArray& argument : storage)
        argv.push_back(argument.data());
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    const QByteArray dir = QFile::encodeName(directory);
    const QByteArray errors = QFile::encodeName(stderrFile);
    posix_spawn_file_actions_addchdir_np(&actions, dir.constData());
    if (!stderrFile.isEmpty())
        posix_spawn_file_actions_addopen(&actions, 2, errors.constData(),
                                         O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const int result = posix_spawnp(&m_pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (result != 0)
        m_pid = -1;
    return result == 0;
}

bool ChildProcess::isRunning() {
    if (m_pid <= 0)
        return false;
    if (::waitpid(m_pid, &m_status, WNOHANG) == 0)
        return true;
    m_pid = -1;
    return false;
}

int ChildProcess::waitForExit(int timeoutMs) {
    const QDeadlineTimer deadline(timeoutMs);
    while (isRunning()) {
        if (deadline.hasExpired())
            return -1;
        QThread::msleep(10);
    }
    return WIFEXITED(m_status) ? WEXITSTATUS(m_status) : -1;
}

void ChildProcess::stop(int timeoutMs) {
    if (!isRunning())
        return;
    ::kill(m_pid, SIGTERM);
    if (waitForExit(timeoutMs) == -1 && isRunning()) {
        ::kill(m_pid, SIGKILL);
        ::waitpid(m_pid, &m_status, 0);
        m_pid = -1;
    }
}
