#pragma once

#include <QtGlobal>

#include <string>
#include <utility>

// A link's byte and packet counters in this namespace, as /proc/net/dev gives them.
struct LinkCounters {
    quint64 rxBytes = 0, rxPackets = 0, txBytes = 0, txPackets = 0;
};

LinkCounters readLinkCounters(const std::string& link);

// The IP bytes (received, sent) that crossed an Ethernet link between two readings.
std::pair<quint64, quint64> ipBytesBetween(const LinkCounters& before, const LinkCounters& after);

// Checks that at least the payload crossed and that booked is within 2 % of the IP bytes that
// crossed, and prints both.
void expectWithin2Percent(quint64 booked, quint64 crossed, quint64 payload, const char* what);
