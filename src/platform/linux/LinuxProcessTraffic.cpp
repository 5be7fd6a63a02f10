#include "platform/linux/LinuxProcessTraffic.h"

#include "platform/FallbackProcessTraffic.h"
#include "platform/InterfaceAddresses.h"
#include "platform/IpAddress.h"
#include "platform/SocketLedger.h"
#include "platform/linux/HelperProcessTraffic.h"
#include "platform/linux/SockDiag.h"
#include "platform/linux/SocketOwners.h"
#include "platform/linux/TcpOpens.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <optional>

namespace {

// Per-process TCP bytes from sock_diag. A watch every second lists the sockets whenever a
// connection was opened since the last listing, so connections shorter than a sample still
// reach their process; the kernel's destroy notifications supply each socket's final counts,
// so the bytes of its last second are not lost either. Listing walks the kernel's whole
// connection table (about 1.5 ms per address family), hence the cheap check first.
class SockDiagProcessTraffic final : public ProcessTraffic {
public:
    std::optional<AppSample> sample() override {
        if (!list())
            return std::nullopt;
        return m_ledger.sample();
    }

    int watchIntervalMs() const override { return 1000; }

    AppTrafficSource source() const override { return AppTrafficSource::TcpOnly; }

    void watch() override {
        drainDestroyed();
        const std::optional<quint64> opens = readTcpOpens();
        // Without destroy notifications, only frequent listings catch the ends of connections.
        if (opens && *opens == m_opensAtListing && m_destroyed->valid())
            return;
        list(opens);
    }

private:
    void drainDestroyed() {
        if (!m_destroyed) // opened on first use: a process that never samples needs none
            m_destroyed.emplace();
        for (const TcpSocketCounts& ended : m_destroyed->drain())
            m_ledger.ended(ended);
    }

    bool list(std::optional<quint64> opens = readTcpOpens()) {
        drainDestroyed();
        const auto live = SockDiag::dumpTcpSockets();
        if (!live)
            return false;
        // Re-read with every listing: addresses come and go as networks are joined.
        m_ledger.setOwnAddresses(ownAddresses(readInterfaceAddresses()));
        m_ledger.update(*live, [](const std::unordered_set<quint64>& inodes) {
            return findSocketOwners(inodes);
        });
        m_opensAtListing = opens.value_or(0);
        return true;
    }

    std::optional<SockDiag::DestroyListener> m_destroyed;
    SocketLedger m_ledger;
    quint64 m_opensAtListing = 0;
};

// Beside the program in the build tree, in its libexec directory once installed.
QString trafficHelperPath() {
    const QDir programDir =
        QFileInfo(QFile::symLinkTarget(QStringLiteral("/proc/self/exe"))).absoluteDir();
    const QString beside = programDir.filePath(QStringLiteral("vorn-traffic-helper"));
    if (QFileInfo::exists(beside))
        return beside;
    return QDir::cleanPath(
        programDir.filePath(QStringLiteral("../libexec/vorn/vorn-traffic-helper")));
}

} // namespace

// Every protocol through the privileged helper where it is installed and allowed to count;
// otherwise, or once it fails, the TCP socket table, which needs no privileges.
std::unique_ptr<ProcessTraffic> createLinuxProcessTraffic(const QString& helperProgram,
                                                          ProcessTrafficNotice notice) {
    return std::make_unique<FallbackProcessTraffic>(
        std::make_unique<HelperProcessTraffic>(helperProgram, std::move(notice)),
        std::make_unique<SockDiagProcessTraffic>());
}

std::unique_ptr<ProcessTraffic> ProcessTraffic::create(ProcessTrafficNotice notice) {
    return createLinuxProcessTraffic(trafficHelperPath(), std::move(notice));
}

AppTrafficSource ProcessTraffic::sourceOnThisMachine() {
    return HelperProcessTraffic::works(trafficHelperPath()) ? AppTrafficSource::AllProtocols
                                                            : AppTrafficSource::TcpOnly;
}
