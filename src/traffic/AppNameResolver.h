#pragma once

#include "platform/RunningApps.h"

#include <QHash>
#include <QString>

#include <functional>
#include <map>
#include <vector>

// Turns a recorded process name into the name the statistics window and exports show: a fixed
// table of well-known names first, then the localized name of a running application whose
// executable has exactly that file name, else the name itself. Answers are kept for the run.
class AppNameResolver {
public:
    using RunningAppsSource = std::function<std::vector<RunningApp>()>;

    explicit AppNameResolver(RunningAppsSource runningApps);

    // Never empty for a non-empty name. Consults the running applications at most once per
    // distinct name.
    QString resolve(const QString& name);

    // resolve() of the process-wide resolver over the desktop's running applications.
    static QString friendlyName(const QString& name);

    // The well-known process names (matched exactly, case included) and their display names.
    static const std::map<QString, QString>& knownMap();

private:
    QString lookUp(const QString& name) const;

    RunningAppsSource m_runningApps;
    QHash<QString, QString> m_cache;
};
