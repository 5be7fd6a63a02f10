#include "Cgroup2Mount.h"

#include <vector>

namespace {

std::vector<std::string_view> fields(std::string_view line) {
    std::vector<std::string_view> parts;
    while (!line.empty()) {
        const size_t end = line.find(' ');
        if (end != 0)
            parts.push_back(line.substr(0, end));
        if (end == std::string_view::npos)
            break;
        line.remove_prefix(end + 1);
    }
    return parts;
}

bool isOctalDigit(char c) {
    return c >= '0' && c <= '7';
}

// The kernel writes blanks, tabs, newlines and backslashes of a mount path as \ooo.
std::string unescape(std::string_view path) {
    std::string plain;
    for (size_t i = 0; i < path.size(); ++i) {
        if (path[i] == '\\' && i + 3 < path.size() && isOctalDigit(path[i + 1]) &&
            isOctalDigit(path[i + 2]) && isOctalDigit(path[i + 3])) {
            plain += char((path[i + 1] - '0') * 64 + (path[i + 2] - '0') * 8 + (path[i + 3] - '0'));
            i += 3;
        } else {
            plain += path[i];
        }
    }
    return plain;
}

} // namespace

std::optional<std::string> findCgroup2Mount(std::string_view procMounts) {
    while (!procMounts.empty()) {
        const size_t end = procMounts.find('\n');
        const std::string_view line = procMounts.substr(0, end);
        const auto parts = fields(line);
        if (parts.size() >= 3 && parts[2] == "cgroup2")
            return unescape(parts[1]);
        if (end == std::string_view::npos)
            break;
        procMounts.remove_prefix(end + 1);
    }
    return std::nullopt;
}
