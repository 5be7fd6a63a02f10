#pragma once

#include "platform/ProcessLedger.h"
#include "platform/ProcessTraffic.h"
#include "platform/linux/HelperProcessNames.h"

#include <QString>

#include <memory>

class QProcess;

// Per-process bytes of every protocol from vorn-traffic-helper, started on first use and
// asked at every sample and watch. Any failure (not found, no privileges, no answer, an answer that
// does not fit, the helper gone) is final: it is told to notice once, the helper is stopped
// and every later sample is none. Created anywhere, then used on the sampling thread.
class HelperProcessTraffic final : public ProcessTraffic {
public:
    HelperProcessTraffic(QString program, ProcessTrafficNotice notice, int answerTimeoutMs = 5000);
    ~HelperProcessTraffic() override;

    std::optional<AppSample> sample() override;
    // The helper is asked between samples too, so that a process is named while it still
    // runs (its name completed from /proc) even when it ends before the next sample.
    int watchIntervalMs() const override { return 1000; }
    void watch() override;

    // Whether the helper at program can count on this machine now: it starts, attaches its
    // programs and ends cleanly when its input closes.
    static bool works(const QString& program);

private:
    // Asks the helper and books its answer; false once it failed.
    bool update();
    std::optional<QByteArray> ask();
    std::nullopt_t fail(const QString& reason);

    QString m_program;
    ProcessTrafficNotice m_notice;
    int m_answerTimeoutMs;
    std::unique_ptr<QProcess> m_process;
    HelperProcessNames m_names;
    ProcessLedger m_ledger;
    bool m_failed = false;
};
