#include "traffic/AppSampleQueue.h"

#include <QPointer>

AppSampleQueue::AppSampleQueue(ProcessTraffic& provider) : m_provider(provider) {
    m_thread.setObjectName(QStringLiteral("netdial.nettop"));
    m_context = new QObject;
    m_context->moveToThread(&m_thread);
    if (const int interval = m_provider.watchIntervalMs(); interval > 0) {
        auto* watchTimer = new QTimer(m_context);
        watchTimer->setInterval(interval);
        QObject::connect(watchTimer, &QTimer::timeout, m_context,
                         [provider = &m_provider] { provider->watch(); });
        QObject::connect(&m_thread, &QThread::started, watchTimer, qOverload<>(&QTimer::start));
    }
    m_thread.start(QThread::LowPriority);
}

AppSampleQueue::~AppSampleQueue() {
    m_thread.quit();
    m_thread.wait();
    delete m_context;
}

void AppSampleQueue::submit(QObject* receiver, std::function<void(const AppSample&)> deliver) {
    QMetaObject::invokeMethod(m_context, [provider = &m_provider, guard = QPointer(receiver),
                                          deliver = std::move(deliver)] {
        AppSample sample = provider->sample();
        if (!guard)
            return;
        QMetaObject::invokeMethod(
            guard.data(), [deliver, sample = std::move(sample)] { deliver(sample); },
            Qt::QueuedConnection);
    });
}
