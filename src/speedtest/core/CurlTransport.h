#pragma once

#include "speedtest/core/Transport.h"

#include <QByteArray>
#include <QString>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <thread>
#include <vector>

class CurlSockets;
// Transport on libcurl's multi interface, driven by one worker thread: HTTP/1.1 so that
// parallel transfers are parallel connections, at most 12 per host, https only.
class CurlTransport final : public Transport {
public:
    // caFile adds trusted certificates to the system's; verification always stays on.
    explicit CurlTransport(const QString& caFile = {});
    ~CurlTransport() override;
    CurlTransport(const CurlTransport&) = delete;
    CurlTransport& operator=(const CurlTransport&) = delete;

    TransferId start(TransferRequest request, TransferCallbacks callbacks) override;
    void cancel(TransferId id) override;

    // Transfers started and not yet ended or removed by the worker, the side lane's included.
    int activeCount() const;

private:
    struct Transfer;

    // The side lane: a transport of its own, so that its connections are never handed to the
    // other transfers; its ids carry kSideLaneBit.
    static constexpr TransferId kSideLaneBit = TransferId(1) << 62;
    CurlTransport(const QString& caFile, TransferId firstId);
    CurlTransport& sideLane();

    void run();
    void applyCommands();
    void finishDone();
    void remove(TransferId id);
    void reportDelivered(Transfer& transfer, qint64 uploaded);
    void pollUploads();
    bool startCallback(TransferId id);

    static size_t onHeader(char* data, size_t size, size_t count, void* transfer);
    static size_t onWrite(char* data, size_t size, size_t count, void* transfer);
    static int onRequestReady(void* transfer, char*, char*, int remotePort, int localPort);

    void* m_multi = nullptr;
    QByteArray m_caFile;
    QByteArray m_caPath;
    std::thread m_worker;
    std::atomic<bool> m_quit = false;
    std::atomic<int> m_active = 0;

    std::mutex m_commandMutex;
    std::vector<std::unique_ptr<Transfer>> m_toStart;
    std::vector<TransferId> m_toCancel;
    TransferId m_nextId = 1;
    const QString m_caFileName;
    const bool m_isSideLane;
    mutable std::mutex m_sideMutex;
    std::unique_ptr<CurlTransport> m_side;

    // Held while a callback runs, so that cancel() can promise no callback after it returns.
    std::mutex m_callbackMutex;
    std::set<TransferId> m_cancelled;

    std::map<TransferId, std::unique_ptr<Transfer>> m_running; // worker thread only
    std::unique_ptr<CurlSockets> m_sockets;                    // worker thread only
    std::chrono::steady_clock::time_point m_lastUploadPoll;    // worker thread only
};
