#pragma once

#include <QByteArrayView>
#include <QString>

// The interface of the IPv4 default route; empty when there is none.
QString defaultRouteInterface();

// The interface of the lowest-metric default route in /proc/net/route text.
QString parseProcNetRoute(QByteArrayView text);

// The "interface:" value of `route -n get default` output; empty unless it is UTF-8.
QString parseRouteGetDefault(QByteArrayView output);
