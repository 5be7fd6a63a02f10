#include "platform/ProcessTraffic.h"

#include "platform/SocketLedger.h"
#include "platform/linux/SockDiag.h"
#include "platform/linux/SocketOwners.h"

namespace {

// Per-process TCP bytes from sock_diag. Sockets are listed every second so that connections
// shorter than a sample still reach their process; the kernel's destroy notifications supply
// each socket's final counts, so the bytes of its last second are not lost either.
class SockDiagProcessTraffic final : public ProcessTraffic {
public:
    AppSample sample() override {
        if (!refresh())
            return {};
        return m_ledger.sample();
    }

    int watchIntervalMs() const override { return 1000; }
    void watch() override { refresh(); }

private:
    bool refresh() {
        for (const TcpSocketCounts& ended : m_destroyed.drain())
            m_ledger.ended(ended);
        const auto live = SockDiag::dumpTcpSockets();
        if (!live)
            return false;
        m_ledger.update(*live, [](const std::unordered_set<quint64>& inodes) {
            return findSocketOwners(inodes);
        });
        return true;
    }

    SockDiag::DestroyListener m_destroyed;
    SocketLedger m_ledger;
};

} // namespace

std::unique_ptr<ProcessTraffic> ProcessTraffic::create() {
    return std::make_unique<SockDiagProcessTraffic>();
}
