#pragma once

#include "platform/ProcessTraffic.h"

#include <QString>

// The line that tells what the per-application counts cover.
QString appTrafficSourceText(AppTrafficSource source);
