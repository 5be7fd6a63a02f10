#include "platform/linux/HelperProcessTraffic.h"

#include "platform/HelperReport.h"

#include <QDeadlineTimer>
#include <QFileInfo>
#include <QProcess>

namespace {

constexpr int kStartTimeoutMs = 5000;
constexpr qsizetype kMaxAnswerBytes = 8 * 1024 * 1024;

// The helper's own last words on stderr, when it left any.
QString lastErrorLine(QProcess& process) {
    const QList<QByteArray> lines = process.readAllStandardError().trimmed().split('\n');
    return QString::fromUtf8(lines.last()).trimmed();
}

} // namespace

HelperProcessTraffic::HelperProcessTraffic(QString program, ProcessTrafficNotice notice,
                                           int answerTimeoutMs)
    : m_program(std::move(program)), m_notice(std::move(notice)),
      m_answerTimeoutMs(answerTimeoutMs) {}

HelperProcessTraffic::~HelperProcessTraffic() {
    if (!m_process)
        return;
    m_process->closeWriteChannel(); // the helper ends when its input closes
    if (!m_process->waitForFinished(1000))
        m_process->kill();
    m_process->waitForFinished(1000);
}

std::nullopt_t HelperProcessTraffic::fail(const QString& reason) {
    if (m_notice)
        m_notice(QStringLiteral("应用流量改为仅统计 TCP：vorn-traffic-helper ") + reason);
    m_failed = true;
    if (m_process) {
        m_process->kill();
        m_process->waitForFinished(1000);
        m_process.reset();
    }
    return std::nullopt;
}

std::optional<QByteArray> HelperProcessTraffic::ask() {
    if (!m_process) {
        if (!QFileInfo(m_program).isExecutable())
            return fail(QStringLiteral("未安装（") + m_program + QStringLiteral("）"));
        m_process = std::make_unique<QProcess>();
        m_process->start(m_program, {});
        if (!m_process->waitForStarted(kStartTimeoutMs))
            return fail(QStringLiteral("无法启动：") + m_process->errorString());
    }
    m_process->write("sample\n");
    QByteArray answer;
    const QDeadlineTimer deadline(m_answerTimeoutMs);
    for (;;) {
        answer += m_process->readAllStandardOutput();
        if (helperAnswerLength(answer))
            return answer; // bytes beyond the answer make it unreadable to the parser
        if (answer.size() > kMaxAnswerBytes)
            return fail(QStringLiteral("的输出无法识别"));
        if (m_process->state() == QProcess::NotRunning) {
            const QString why = lastErrorLine(*m_process);
            return fail(why.isEmpty() ? QStringLiteral("意外退出")
                                      : QStringLiteral("已退出：") + why);
        }
        if (deadline.hasExpired())
            return fail(QStringLiteral("没有应答"));
        m_process->waitForReadyRead(int(qMax<qint64>(1, deadline.remainingTime())));
    }
}

bool HelperProcessTraffic::update() {
    if (m_failed)
        return false;
    const std::optional<QByteArray> answer = ask();
    if (!answer)
        return false;
    auto report = parseHelperAnswer(*answer);
    if (!report) {
        fail(QStringLiteral("的输出无法识别"));
        return false;
    }
    m_names.complete(*report);
    m_ledger.update(*report);
    return true;
}

std::optional<AppSample> HelperProcessTraffic::sample() {
    if (!update())
        return std::nullopt;
    return m_ledger.sample();
}

void HelperProcessTraffic::watch() {
    update();
}

bool HelperProcessTraffic::works(const QString& program) {
    if (!QFileInfo(program).isExecutable())
        return false;
    QProcess probe;
    probe.start(program, {});
    if (!probe.waitForStarted(kStartTimeoutMs))
        return false;
    probe.closeWriteChannel();
    if (!probe.waitForFinished(kStartTimeoutMs)) {
        probe.kill();
        probe.waitForFinished(1000);
        return false;
    }
    return probe.exitStatus() == QProcess::NormalExit && probe.exitCode() == 0;
}
