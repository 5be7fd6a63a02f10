#include "platform/linux/SocketOwners.h"

#include <QByteArray>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

namespace {

struct DirCloser {
    void operator()(DIR* dir) const {
        if (dir)
            closedir(dir);
    }
};
using DirHandle = std::unique_ptr<DIR, DirCloser>;

bool isNumber(const char* text) {
    if (!*text)
        return false;
    for (; *text; ++text) {
        if (*text < '0' || *text > '9')
            return false;
    }
    return true;
}

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

// The kernel keeps only the first 15 bytes of a process name. A name cut there is completed
// from the executable's file name or argv[0], whichever begins with it, so that
// "netease-cloud-music" is not recorded as "netease-cloud-m".
QString processName(int procFd, const char* pid) {
    const QByteArray comm = readProcessFile(procFd, pid, "comm").trimmed();
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

// The inode of a "socket:[123]" link target, or 0.
quint64 socketInode(const char* target, ssize_t length) {
    constexpr char kPrefix[] = "socket:[";
    constexpr ssize_t kPrefixLength = sizeof kPrefix - 1;
    if (length <= kPrefixLength + 1 || std::memcmp(target, kPrefix, kPrefixLength) != 0 ||
        target[length - 1] != ']')
        return 0;
    quint64 inode = 0;
    for (ssize_t i = kPrefixLength; i < length - 1; ++i) {
        if (target[i] < '0' || target[i] > '9')
            return 0;
        inode = inode * 10 + quint64(target[i] - '0');
    }
    return inode;
}

} // namespace

std::unordered_map<quint64, QString> findSocketOwners(const std::unordered_set<quint64>& inodes,
                                                      const char* procRoot) {
    std::unordered_map<quint64, QString> owners;
    const int procFd = open(procRoot, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (procFd < 0)
        return owners;
    DirHandle proc(fdopendir(procFd));
    if (!proc) {
        close(procFd);
        return owners;
    }
    while (owners.size() < inodes.size()) {
        const dirent* process = readdir(proc.get());
        if (!process)
            break;
        if (!isNumber(process->d_name))
            continue;
        char fdPath[300];
        std::snprintf(fdPath, sizeof fdPath, "%s/fd", process->d_name);
        const int fdDirFd = openat(procFd, fdPath, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (fdDirFd < 0)
            continue;
        DirHandle fds(fdopendir(fdDirFd));
        if (!fds) {
            close(fdDirFd);
            continue;
        }
        QString name;
        bool named = false;
        while (const dirent* entry = readdir(fds.get())) {
            if (!isNumber(entry->d_name))
                continue;
            char target[64];
            const ssize_t length = readlinkat(fdDirFd, entry->d_name, target, sizeof target);
            const quint64 inode = length > 0 ? socketInode(target, length) : 0;
            if (inode == 0 || !inodes.count(inode) || owners.count(inode))
                continue;
            if (!named) {
                name = processName(procFd, process->d_name);
                named = true;
            }
            if (!name.isEmpty())
                owners.emplace(inode, name);
        }
    }
    return owners;
}
