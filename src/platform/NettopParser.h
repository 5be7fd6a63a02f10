#pragma once

#include "platform/ProcessTraffic.h"

#include <QStringView>

// The per-process sample of nettop's one-shot CSV output ("-P -x -L 1"): field 2 is
// "<name>.<pid>", fields 5 and 6 the bytes received and sent. Lines that do not fit are
// skipped, unreadable counts are 0, processes with one name are summed.
AppSample parseNettop(QStringView text);
