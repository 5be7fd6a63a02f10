#pragma once

#include <QByteArray>
#include <QString>
#include <QUrl>

#include <functional>
#include <memory>

// One HTTP request of the speed test.
struct TransferRequest {
    QUrl url;
    // POST this body when set, else GET.
    std::shared_ptr<const QByteArray> body;
    double timeoutSeconds = 60;
    // The answer's body is kept up to this many bytes; a longer answer fails the transfer.
    qsizetype keepBodyBytes = 0;
    // Runs on the transport's one kept-alive side connection, one request at a time and
    // never on a connection of the other transfers, so that it costs one round trip.
    bool dedicatedConnection = false;
};

struct TransferCompletion {
    bool ok = false; // the exchange completed; says nothing about the status
    int httpStatus = 0;
    QByteArray body;
    QString error;
    // The request body's bytes known to have reached the peer when the transfer ended.
    qint64 bodyBytesSent = 0;
};

// Callbacks of one transfer; all run on the transport's own thread.
struct TransferCallbacks {
    // A chunk of the response body, with the status of the response it belongs to.
    std::function<void(qint64 bytes, int httpStatus)> onData;
    // The request body's cumulative bytes that have left this machine, when it grows.
    std::function<void(qint64 totalSent)> onSent;
    // Once when the transfer ends, unless it was cancelled before.
    std::function<void(const TransferCompletion&)> onComplete;
};

// Runs HTTP transfers off the main thread.
class Transport {
public:
    using TransferId = quint64;

    virtual ~Transport() = default;
    virtual TransferId start(TransferRequest request, TransferCallbacks callbacks) = 0;
    // Ends the transfer; no callback of it starts after this returns.
    virtual void cancel(TransferId id) = 0;
};
