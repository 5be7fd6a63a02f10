#pragma once

#include <QString>

#include <vector>

// A running application as the desktop knows it.
struct RunningApp {
    QString executablePath; // empty when unknown
    QString localizedName;  // the name the desktop shows; empty when it has none
};

// The running applications in a stable order (process id on Linux). Processes the user may
// not inspect are left out.
std::vector<RunningApp> runningApplications();
