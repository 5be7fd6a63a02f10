#pragma once

#include "platform/HelperReport.h"
#include "platform/ProcessTraffic.h"

#include <unordered_map>
#include <vector>

// Turns successive reports of per-process counts into cumulative bytes per process name that
// never fall: a process's last counts stay booked to its name after it ended. A process id
// whose counts fell belongs to a new process; one whose name changed (a process that ran
// another program) books only its growth since then to the new name.
class ProcessLedger {
public:
    // A full report: processes missing from it have ended.
    void update(const std::vector<HelperProcessCounts>& report);
    AppSample sample() const;

private:
    struct Tracked {
        QString name;
        quint64 received = 0;
        quint64 sent = 0;
        quint64 receivedBefore = 0; // booked to the name the process had before
        quint64 sentBefore = 0;
    };
    void retire(const Tracked& process);

    std::unordered_map<quint32, Tracked> m_live;
    AppSample m_retired;
};
