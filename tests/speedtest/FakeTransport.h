#pragma once

#include "speedtest/core/Transport.h"

#include <algorithm>
#include <vector>

// A transport whose transfers only move when the test says so; everything runs on the
// calling thread.
class FakeTransport final : public Transport {
public:
    struct Transfer {
        TransferId id = 0;
        TransferRequest request;
        TransferCallbacks callbacks;
        bool cancelled = false;
        bool finished = false;

        bool open() const { return !cancelled && !finished; }
    };

    TransferId start(TransferRequest request, TransferCallbacks callbacks) override {
        transfers.push_back({nextId, std::move(request), std::move(callbacks)});
        return nextId++;
    }

    void cancel(TransferId id) override {
        if (Transfer* transfer = find(id))
            transfer->cancelled = true;
    }

    Transfer* find(TransferId id) {
        for (Transfer& transfer : transfers) {
            if (transfer.id == id)
                return &transfer;
        }
        return nullptr;
    }

    // Open transfers whose URL contains the text, oldest first; the side connection's
    // requests (the latency probes under load) only when asked for.
    std::vector<TransferId> open(const QString& urlPart, bool sideConnection = false) const {
        std::vector<TransferId> ids;
        for (const Transfer& transfer : transfers) {
            if (transfer.open() && transfer.request.dedicatedConnection == sideConnection &&
                transfer.request.url.toString().contains(urlPart))
                ids.push_back(transfer.id);
        }
        return ids;
    }

    // Transfers ever started to a URL containing the text, the side connection's left out.
    int countStarted(const QString& urlPart) const {
        return int(std::count_if(transfers.begin(), transfers.end(), [&](const Transfer& t) {
            return !t.request.dedicatedConnection && t.request.url.toString().contains(urlPart);
        }));
    }

    int openCount() const {
        return int(std::count_if(transfers.begin(), transfers.end(),
                                 [](const Transfer& t) { return t.open(); }));
    }

    void complete(TransferId id, bool ok, int status = 200, const QByteArray& body = {},
                  qint64 bodyBytesSent = 0) {
        Transfer* transfer = find(id);
        transfer->finished = true;
        if (transfer->callbacks.onComplete)
            transfer->callbacks.onComplete(
                {ok, ok ? status : 0, body, ok ? QString() : "失败", bodyBytesSent});
    }

    // Answers the oldest open transfer to a URL containing urlPart.
    void answer(const QString& urlPart, bool ok, int status = 200, const QByteArray& body = {},
                bool sideConnection = false) {
        const auto ids = open(urlPart, sideConnection);
        if (!ids.empty())
            complete(ids.front(), ok, status, body);
    }

    void receive(TransferId id, qint64 bytes, int status = 200) {
        find(id)->callbacks.onData(bytes, status);
    }

    void sent(TransferId id, qint64 total) { find(id)->callbacks.onSent(total); }

    std::vector<Transfer> transfers;
    TransferId nextId = 1;
};
