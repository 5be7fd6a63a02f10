#pragma once

#include "platform/ProcessLedger.h"
#include "platform/ProcessTraffic.h"

#include <QString>

#include <memory>

class QProcess;

// Per-process bytes of every protocol from vorn-traffic-helper, started on the first sample
// and asked once per sample. Any failure (not found, no privileges, no answer, an answer that
// does not fit, the helper gone) is final: it is told to notice once, the helper is stopped
// and every later sample is none. Created anywhere, then used on the sampling thread.
class HelperProcessTraffic final : public ProcessTraffic {
public:
    HelperProcessTraffic(QString program, ProcessTrafficNotice notice, int answerTimeoutMs = 5000);
    ~HelperProcessTraffic() override;

    std::optional<AppSample> sample() override;

    // Whether the helper at program can count on this machine now: it starts, attaches its
    // programs and ends cleanly when its input closes.
    static bool works(const QString& program);

private:
    std::optional<QByteArray> ask();
    std::nullopt_t fail(const QString& reason);

    QString m_program;
    ProcessTrafficNotice m_notice;
    int m_answerTimeoutMs;
    std::unique_ptr<QProcess> m_process;
    ProcessLedger m_ledger;
    bool m_failed = false;
};
