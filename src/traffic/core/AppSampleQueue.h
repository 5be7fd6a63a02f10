#pragma once

#include "platform/ProcessTraffic.h"

#include <QObject>
#include <QThread>
#include <QTimer>

#include <functional>
#include <optional>

// The serial background job of the per-application sampler: one low-priority thread that uses
// the provider (which must outlive the queue), takes samples one after another (a slow one delays
// the next, never overlaps) and lets the provider watch between samples.
class AppSampleQueue {
public:
    explicit AppSampleQueue(ProcessTraffic& provider);
    ~AppSampleQueue();

    // Takes a sample on the queue's thread, then calls deliver with it on receiver's thread.
    // Dropped when receiver is gone by then.
    void submit(QObject* receiver, std::function<void(const std::optional<AppSample>&)> deliver);

private:
    ProcessTraffic& m_provider;
    QThread m_thread;
    QObject* m_context = nullptr; // lives on m_thread, deleted when it finishes
};
