#pragma once

#include <QByteArray>
#include <QString>

#include <vector>

// One address of one interface, as the system's interface list reports it.
struct InterfaceAddress {
    enum class Family { link, ipv4, ipv6, other };

    QString name;
    bool up = false;
    bool loopback = false;
    Family family = Family::other;
    QByteArray linkAddress; // hardware address bytes (link family)
    QString address;        // numeric host text (IPv4, IPv6 with any zone suffix)
};

// Every address of every interface; empty when the list cannot be read.
std::vector<InterfaceAddress> readInterfaceAddresses();
