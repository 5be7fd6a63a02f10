#pragma once

#include "common/Clock.h"
#include "platform/RunningApps.h"

#include <QHash>
#include <QString>

#include <functional>
#include <map>
#include <optional>
#include <vector>

// Turns a recorded process name into the name the statistics window and exports show: a fixed
// table of well-known names first, then the localized name of a running application whose
// executable has exactly that file name, else the name itself. Answers are kept for the run.
class AppNameResolver {
public:
    using RunningAppsSource = std::function<std::vector<RunningApp>()>;

    // A list of running applications is reused for reuseSeconds on clock, so a table of many
    // new names walks the processes once rather than once per name.
    explicit AppNameResolver(RunningAppsSource runningApps, const Clock& clock = Clock::system(),
                             double reuseSeconds = 2.0);

    // Never empty for a non-empty name. Consults the running applications at most once per
    // distinct name.
    QString resolve(const QString& name);

    // resolve() of the process-wide resolver over the desktop's running applications.
    static QString friendlyName(const QString& name);

    // The well-known process names (matched exactly, case included) and their display names.
    static const std::map<QString, QString>& knownMap();

private:
    QString lookUp(const QString& name);
    const std::vector<RunningApp>& runningApps();

    RunningAppsSource m_runningApps;
    const Clock& m_clock;
    double m_reuseSeconds;
    std::vector<RunningApp> m_snapshot;
    std::optional<double> m_snapshotTime;
    QHash<QString, QString> m_cache;
};
