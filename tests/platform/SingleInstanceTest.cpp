#include "platform/SingleInstance.h"

#include <QFile>
#include <QLocalSocket>
#include <QLockFile>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include <atomic>
#include <csignal>
#include <sys/wait.h>
#include <unistd.h>

using namespace std::chrono_literals;
using Claim = SingleInstance::Claim;

namespace {

const QString kName = QStringLiteral("vorn");
// Long enough for a loaded machine; a start that is handed over returns as soon as it is.
constexpr auto kPatience = 10s;

// The running program: holds the lock and answers on a thread of its own, as its event loop
// would while the later start waits.
class RunningProgram {
public:
    explicit RunningProgram(const QString& directory) : m_instance(directory, kName) {
        claimed = m_instance.claim(0ms);
        QObject::connect(
            &m_instance, &SingleInstance::showRequested, &m_instance, [this] { ++shows; },
            Qt::DirectConnection);
        m_instance.moveToThread(&m_thread);
        m_thread.start();
        QMetaObject::invokeMethod(
            &m_instance, [this] { listening = m_instance.listen(); }, Qt::BlockingQueuedConnection);
    }
    ~RunningProgram() {
        QThread* home = QThread::currentThread();
        QMetaObject::invokeMethod(
            &m_instance, [this, home] { m_instance.moveToThread(home); },
            Qt::BlockingQueuedConnection);
        m_thread.quit();
        m_thread.wait();
    }

    Claim claimed = Claim::unguarded;
    bool listening = false;
    std::atomic<int> shows{0};

private:
    QThread m_thread;
    SingleInstance m_instance;
};

// What a raw client hears back after sending bytes; empty when the connection is closed
// without an answer.
QByteArray answerTo(const QString& socketPath, const QByteArray& request) {
    QLocalSocket socket;
    socket.connectToServer(socketPath);
    EXPECT_TRUE(socket.waitForConnected(10000));
    socket.write(request);
    socket.waitForBytesWritten(10000);
    while (socket.state() == QLocalSocket::ConnectedState && socket.waitForReadyRead(10000)) {
    }
    return socket.readAll();
}

TEST(SingleInstance, LaterStartsAskTheRunningProgramToShowItself) {
    QTemporaryDir runtime;
    RunningProgram running(runtime.path());
    ASSERT_EQ(running.claimed, Claim::first);
    ASSERT_TRUE(running.listening);

    EXPECT_EQ(SingleInstance(runtime.path(), kName).claim(kPatience), Claim::handedOver);
    EXPECT_EQ(running.shows, 1);
    EXPECT_EQ(SingleInstance(runtime.path(), kName).claim(kPatience), Claim::handedOver);
    EXPECT_EQ(running.shows, 2);
}

TEST(SingleInstance, AHolderThatNeverAnswersIsReportedAndKeepsItsLock) {
    QTemporaryDir runtime;
    SingleInstance holder(runtime.path(), kName);
    ASSERT_EQ(holder.claim(0ms), Claim::first);

    EXPECT_EQ(SingleInstance(runtime.path(), kName).claim(300ms), Claim::noAnswer);
    EXPECT_TRUE(QFile::exists(runtime.filePath(QStringLiteral("vorn.lock"))));
}

TEST(SingleInstance, TheLockAndSocketOfAKilledProgramAreTakenOver) {
    QTemporaryDir runtime;
    const QString lockPath = runtime.filePath(QStringLiteral("vorn.lock"));
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        QLockFile lock(lockPath);
        lock.tryLock(0);
        raise(SIGKILL);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFSIGNALED(status));
    ASSERT_TRUE(QFile::exists(lockPath));
    // The killed program's socket file stays behind too.
    QFile leftover(runtime.filePath(QStringLiteral("vorn.socket")));
    ASSERT_TRUE(leftover.open(QIODevice::WriteOnly));
    leftover.close();

    RunningProgram running(runtime.path());
    EXPECT_EQ(running.claimed, Claim::first);
    EXPECT_TRUE(running.listening);
    EXPECT_EQ(SingleInstance(runtime.path(), kName).claim(kPatience), Claim::handedOver);
    EXPECT_EQ(running.shows, 1);
}

TEST(SingleInstance, WithoutAUsableDirectoryTheProgramRunsUnguarded) {
    EXPECT_EQ(SingleInstance(QString(), kName).claim(0ms), Claim::unguarded);
    QTemporaryDir runtime;
    const QString notADirectory = runtime.filePath(QStringLiteral("file"));
    QFile file(notADirectory);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    EXPECT_EQ(SingleInstance(notADirectory, kName).claim(0ms), Claim::unguarded);
}

TEST(SingleInstance, OnlyTheShowRequestIsAnswered) {
    QTemporaryDir runtime;
    RunningProgram running(runtime.path());
    ASSERT_TRUE(running.listening);
    const QString socketPath = runtime.filePath(QStringLiteral("vorn.socket"));

    EXPECT_EQ(answerTo(socketPath, "hello\n"), QByteArray());
    EXPECT_EQ(answerTo(socketPath, QByteArray(100, 'x')), QByteArray());
    EXPECT_EQ(running.shows, 0);
    EXPECT_EQ(answerTo(socketPath, "show\n"), QByteArray("shown\n"));
    EXPECT_EQ(running.shows, 1);
}

} // namespace
