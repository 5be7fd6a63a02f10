#include "platform/linux/SocketOwners.h"

#include "platform/linux/ProcessName.h"

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
                name = completeProcessName(procFd, process->d_name,
                                           readProcessComm(procFd, process->d_name));
                named = true;
            }
            if (!name.isEmpty())
                owners.emplace(inode, name);
        }
    }
    return owners;
}
