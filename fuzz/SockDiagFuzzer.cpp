#include "platform/linux/SockDiag.h"

#include <cstddef>
#include <cstdint>

// Netlink buffers come from the kernel, but the parser must stay within them whatever they hold.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::vector<TcpSocketCounts> sockets;
    SockDiag::parseMessages(QByteArrayView(reinterpret_cast<const char*>(data), qsizetype(size)),
                            sockets);
    if (sockets.size() > size / 16)
        __builtin_trap(); // every socket needs at least a message header
    return 0;
}
