#pragma once

#include <QByteArrayView>

#include <optional>

// How many TCP connections this network namespace has opened so far (active plus passive
// opens of the "Tcp:" lines of /proc/net/snmp). Reading it costs far less than listing the
// sockets, so an unchanged count lets a watch skip the listing.
std::optional<quint64> parseTcpOpens(QByteArrayView snmp);
std::optional<quint64> readTcpOpens();
