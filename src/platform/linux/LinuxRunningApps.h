#pragma once

#include "platform/DesktopIndex.h"
#include "platform/RunningApps.h"

#include <QString>

// runningApplications() over the processes under procRoot, named from desktop.
std::vector<RunningApp> runningApplications(const QString& procRoot, const DesktopIndex& desktop);
