#pragma once

#include <QByteArray>
#include <QString>

#include <vector>

// Which interfaces carry traffic of their own, judged from a sysfs class/net tree.
//
// Interfaces backed by a device (NAME/device exists) count, up or down: virtual links
// (veth pairs, bridges, tunnels) carry bytes that also cross a physical interface, and counting
// them too would double the rates. When no interface has a device (a container or a VM
// without one), every interface that is not loopback by type (NAME/type = 772) counts.
std::vector<QByteArray> selectCountedInterfaces(const QString& sysClassNet,
                                                const std::vector<QByteArray>& names);
