#include "platform/linux/HelperProcessNames.h"

#include "platform/linux/ProcessName.h"

#include <fcntl.h>
#include <unistd.h>

HelperProcessNames::HelperProcessNames(const QByteArray& procRoot)
    : m_procFd(open(procRoot.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)) {}

HelperProcessNames::~HelperProcessNames() {
    if (m_procFd >= 0)
        close(m_procFd);
}

QString HelperProcessNames::lookUp(const HelperProcessCounts& process) const {
    if (m_procFd < 0)
        return process.name;
    const QByteArray pid = QByteArray::number(process.pid);
    const QByteArray comm = readProcessComm(m_procFd, pid.constData());
    // Only the process the helper named: not one that took its pid or ran another program.
    if (QString::fromUtf8(comm) != process.name)
        return process.name;
    return completeProcessName(m_procFd, pid.constData(), comm);
}

void HelperProcessNames::complete(std::vector<HelperProcessCounts>& report) {
    std::unordered_map<quint32, Named> named;
    for (HelperProcessCounts& process : report) {
        const auto known = m_named.find(process.pid);
        Named entry = known != m_named.end() && known->second.reported == process.name
                          ? known->second
                          : Named{process.name, lookUp(process)};
        process.name = entry.completed;
        named.emplace(process.pid, std::move(entry));
    }
    m_named = std::move(named);
}
