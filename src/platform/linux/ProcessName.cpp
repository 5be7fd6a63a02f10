#include "platform/linux/ProcessName.h"

#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

namespace {

// The first bytes of the file at pid/what, at most 4 KiB.
QByteArray readProcessFile(int procFd, const char* pid, const char* what) {
    char path[300];
    std::snprintf(path, sizeof path, "%s/%s", pid, what);
    const int fd = openat(procFd, path, O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return {};
    char text[4096];
    const ssize_t length = read(fd, text, sizeof text);
    close(fd);
    return length > 0 ? QByteArray(text, length) : QByteArray();
}

QByteArray fileNameOf(const QByteArray& path) {
    return path.mid(path.lastIndexOf('/') + 1);
}

QByteArray executableFileName(int procFd, const char* pid) {
    char path[300];
    std::snprintf(path, sizeof path, "%s/exe", pid);
    char target[4096];
    const ssize_t length = readlinkat(procFd, path, target, sizeof target);
    if (length <= 0)
        return {};
    QByteArray exe(target, length);
    // A replaced binary still runs under its old path, marked as deleted.
    constexpr char kDeleted[] = " (deleted)";
    if (exe.endsWith(kDeleted))
        exe.chop(qsizetype(sizeof kDeleted - 1));
    return fileNameOf(exe);
}

QByteArray argumentZeroFileName(int procFd, const char* pid) {
    const QByteArray commandLine = readProcessFile(procFd, pid, "cmdline");
    return fileNameOf(commandLine.left(commandLine.indexOf('\0')));
}

} // namespace

QByteArray readProcessComm(int procFd, const char* pid) {
    return readProcessFile(procFd, pid, "comm").trimmed();
}

// The kernel keeps only the first 15 bytes of a process name: completed from a file name that
// begins with it, "netease-cloud-music" is not recorded as "netease-cloud-m". A name the
// process gave itself stays.
QString completeProcessName(int procFd, const char* pid, const QByteArray& comm) {
    constexpr qsizetype kCutLength = 15;
    if (comm.size() == kCutLength) {
        for (const QByteArray& whole :
             {executableFileName(procFd, pid), argumentZeroFileName(procFd, pid)}) {
            if (whole.size() > kCutLength && whole.startsWith(comm))
                return QString::fromUtf8(whole);
        }
    }
    return QString::fromUtf8(comm);
}
