#include "CountedLinks.h"

std::vector<std::uint32_t> selectCountedLinks(const std::vector<Link>& links) {
    std::vector<std::uint32_t> withDevice;
    std::vector<std::uint32_t> notLoopback;
    for (const Link& link : links) {
        if (link.loopback)
            continue;
        notLoopback.push_back(link.index);
        if (link.hasDevice)
            withDevice.push_back(link.index);
    }
    return withDevice.empty() ? notLoopback : withDevice;
}
