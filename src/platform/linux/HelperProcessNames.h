#pragma once

#include "platform/HelperReport.h"

#include <QByteArray>
#include <QString>

#include <unordered_map>
#include <vector>

// Completes the names in the traffic helper's reports where the kernel cut them at 15 bytes,
// from /proc as the socket table's names are, so both sources name a process alike. Each
// process is looked up once and keeps its name while the helper reports it under the same
// one, also after it ended; a process found under another name at that pid (it ran another
// program, or the pid was reused) keeps the helper's name.
class HelperProcessNames {
public:
    explicit HelperProcessNames(const QByteArray& procRoot = "/proc");
    ~HelperProcessNames();
    HelperProcessNames(const HelperProcessNames&) = delete;
    HelperProcessNames& operator=(const HelperProcessNames&) = delete;

    // One full report: processes missing from it are forgotten.
    void complete(std::vector<HelperProcessCounts>& report);

private:
    QString lookUp(const HelperProcessCounts& process) const;

    struct Named {
        QString reported;
        QString completed;
    };
    int m_procFd;
    std::unordered_map<quint32, Named> m_named;
};
