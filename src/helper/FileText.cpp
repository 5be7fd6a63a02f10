#include "FileText.h"

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

std::optional<std::string> readFileText(const std::string& path) {
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return std::nullopt;
    std::string text;
    char chunk[4096];
    for (;;) {
        const ssize_t length = read(fd, chunk, sizeof chunk);
        if (length < 0 && errno == EINTR)
            continue;
        if (length < 0) {
            close(fd);
            return std::nullopt;
        }
        if (length == 0)
            break;
        text.append(chunk, size_t(length));
    }
    close(fd);
    return text;
}
