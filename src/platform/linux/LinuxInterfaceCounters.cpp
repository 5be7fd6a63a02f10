#include "platform/InterfaceCounters.h"
#include "platform/InterfaceSelection.h"
#include "platform/ProcNetDev.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <array>

namespace {

// Reads /proc/net/dev with plain syscalls: this runs every second, and QFile costs several
// times the read itself.
std::optional<QByteArray> readProcNetDev() {
    const int fd = ::open("/proc/net/dev", O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return std::nullopt;
    QByteArray text;
    std::array<char, 4096> chunk;
    for (;;) {
        const ssize_t n = ::read(fd, chunk.data(), chunk.size());
        if (n < 0) {
            ::close(fd);
            return std::nullopt;
        }
        if (n == 0)
            break;
        text.append(chunk.data(), n);
    }
    ::close(fd);
    return text;
}

// The selection depends only on the set of names; sysfs is consulted again when it changes.
class SelectionCache {
public:
    const std::vector<QByteArray>& counted(const std::vector<InterfaceCounter>& counters) {
        std::vector<QByteArray> names;
        names.reserve(counters.size());
        for (const auto& counter : counters)
            names.push_back(counter.name);
        if (names != m_names) {
            m_names = std::move(names);
            m_counted = selectCountedInterfaces(QStringLiteral("/sys/class/net"), m_names);
        }
        return m_counted;
    }

private:
    std::vector<QByteArray> m_names;
    std::vector<QByteArray> m_counted;
};

} // namespace

InterfaceReading readInterfaceCounters() {
    const auto text = readProcNetDev();
    if (!text)
        return {};
    auto counters = parseProcNetDev(*text);
    if (!counters)
        return {};
    static thread_local SelectionCache cache;
    const auto& counted = cache.counted(*counters);
    std::erase_if(*counters, [&](const InterfaceCounter& counter) {
        return std::find(counted.begin(), counted.end(), counter.name) == counted.end();
    });
    return {true, std::move(*counters)};
}
