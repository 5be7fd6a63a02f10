#include "traffic/core/AppSampleQueue.h"

#include <QPointer>

AppSampleQueue::AppSampleQueue(ProcessTraffic& provider) : m_provider(provider) {
    m_thread.setObjectName(QStringLiteral("netdial.nettop"));
    m_context = new QObject;
    if (const int interval = m_provider.watchIntervalMs(); interval > 0) {
        auto* watchTimer = new QTimer(m_context);
        watchTimer->setInterval(interval);
        QObject::connect(watchTimer, &QTimer::timeout, m_context,
                         [provider = &m_provider] { provider->watch(); });
        QObject::connect(&m_thread, &QThread::started, watchTimer, qOverload<>(&QTimer::start));
    }
    m_context->moveToThread(&m_thread); // with its timer
    QObject::connect(&m_thread, &QThread::finished, m_context, &QObject::deleteLater);
    m_thread.start(QThread::LowPriority);
}

AppSampleQueue::~AppSampleQueue() {
    m_thread.quit();
    m_thread.wait(); // m_context and its timer are gone with the thread
}

void AppSampleQueue::submit(QObject* receiver,
                            std::function<void(const std::optional<AppSample>&)> deliver) {
    QMetaObject::invokeMethod(m_context, [provider = &m_provider, guard = QPointer(receiver),
                                          deliver = std::move(deliver)] {
        std::optional<AppSample> sample = provider->sample();
        if (!guard)
            return;
        QMetaObject::invokeMethod(
            guard.data(), [deliver, sample = std::move(sample)] { deliver(sample); },
            Qt::QueuedConnection);
    });
}
