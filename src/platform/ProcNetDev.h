#pragma once

#include "platform/InterfaceCounters.h"

#include <QByteArrayView>

#include <optional>

// Parses the text of /proc/net/dev: two header lines, then "name: rx_bytes ... tx_bytes ...".
// Lines that do not have the expected shape are skipped; nullopt when no header is present.
std::optional<std::vector<InterfaceCounter>> parseProcNetDev(QByteArrayView text);
