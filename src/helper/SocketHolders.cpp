#include "SocketHolders.h"

#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <memory>
#include <unistd.h>

namespace {

struct DirCloser {
    void operator()(DIR* dir) const { closedir(dir); }
};
using DirHandle = std::unique_ptr<DIR, DirCloser>;

// Opens a directory below parentFd; none when it cannot be read.
DirHandle openDirectory(int parentFd, const char* path, int& fd) {
    fd = openat(parentFd, path, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return nullptr;
    DIR* dir = fdopendir(fd);
    if (!dir) {
        close(fd);
        return nullptr;
    }
    return DirHandle(dir);
}

// The decimal number that is the whole text, or none.
bool parseNumber(const char* text, size_t length, std::uint64_t& value) {
    if (length == 0 || length > 19)
        return false;
    value = 0;
    for (size_t i = 0; i < length; ++i) {
        if (text[i] < '0' || text[i] > '9')
            return false;
        value = value * 10 + std::uint64_t(text[i] - '0');
    }
    return true;
}

// The inode of a "socket:[123]" link target, or 0.
std::uint64_t socketInode(const char* target, size_t length) {
    constexpr char kPrefix[] = "socket:[";
    constexpr size_t kPrefixLength = sizeof kPrefix - 1;
    std::uint64_t inode = 0;
    if (length <= kPrefixLength + 1 || std::memcmp(target, kPrefix, kPrefixLength) != 0 ||
        target[length - 1] != ']' ||
        !parseNumber(target + kPrefixLength, length - kPrefixLength - 1, inode))
        return 0;
    return inode;
}

} // namespace

std::unordered_map<std::uint64_t, std::uint32_t>
findSocketHolders(const std::unordered_set<std::uint64_t>& inodes, const char* procRoot) {
    std::unordered_map<std::uint64_t, std::uint32_t> holders;
    int procFd = -1;
    const DirHandle proc = openDirectory(AT_FDCWD, procRoot, procFd);
    if (!proc)
        return holders;
    while (holders.size() < inodes.size()) {
        const dirent* process = readdir(proc.get());
        if (!process)
            break;
        std::uint64_t pid = 0;
        if (!parseNumber(process->d_name, std::strlen(process->d_name), pid) || pid > UINT32_MAX)
            continue;
        char fdPath[64];
        std::snprintf(fdPath, sizeof fdPath, "%s/fd", process->d_name);
        int fdDirFd = -1;
        const DirHandle fds = openDirectory(procFd, fdPath, fdDirFd);
        if (!fds)
            continue;
        while (const dirent* entry = readdir(fds.get())) {
            char target[64];
            const ssize_t length = readlinkat(fdDirFd, entry->d_name, target, sizeof target);
            const std::uint64_t inode = length > 0 ? socketInode(target, size_t(length)) : 0;
            if (inode != 0 && inodes.count(inode))
                holders.emplace(inode, std::uint32_t(pid));
        }
    }
    return holders;
}
