#pragma once

#include "platform/ProcessTraffic.h"

#include <QString>

// The Linux provider with the helper at helperProgram: every protocol through it while it
// works, the TCP socket table once it is missing or fails. ProcessTraffic::create() gives it
// the helper where the program finds one.
std::unique_ptr<ProcessTraffic> createLinuxProcessTraffic(const QString& helperProgram,
                                                          ProcessTrafficNotice notice);
