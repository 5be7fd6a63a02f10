#include "platform/IfList2Walker.h"
#include "platform/InterfaceCounters.h"

#include <net/if.h>
#include <net/route.h>
#include <sys/socket.h>
#include <sys/sysctl.h>

#include <vector>

InterfaceReading readInterfaceCounters() {
    int mib[6] = {CTL_NET, PF_ROUTE, 0, 0, NET_RT_IFLIST2, 0};
    size_t length = 0;
    if (sysctl(mib, 6, nullptr, &length, nullptr, 0) != 0 || length < 1)
        return {};
    std::vector<std::uint8_t> buffer(length);
    if (sysctl(mib, 6, buffer.data(), &length, nullptr, 0) != 0)
        return {};
    return {true, walkIfList2(buffer.data(), std::min(length, buffer.size()))};
}
