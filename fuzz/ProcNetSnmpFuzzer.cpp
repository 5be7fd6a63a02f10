#include "platform/linux/TcpOpens.h"

#include <QByteArray>

#include <cstddef>
#include <cstdint>

// /proc/net/snmp decides whether the socket table is listed again. Only the "Tcp:" lines count:
// other protocols' lines before them change nothing.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArrayView text(reinterpret_cast<const char*>(data), qsizetype(size));
    const std::optional<quint64> opens = parseTcpOpens(text);
    const QByteArray withOthers = "Ip: Forwarding DefaultTTL\nIp: 1 64\n"
                                  "Udp: InDatagrams ActiveOpens PassiveOpens\nUdp: 1 2 3\n" +
                                  text.toByteArray();
    if (parseTcpOpens(withOthers) != opens)
        __builtin_trap();
    return 0;
}
