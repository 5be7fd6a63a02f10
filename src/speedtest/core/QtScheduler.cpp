#include "speedtest/core/QtScheduler.h"

#include <QTimer>

QtScheduler::QtScheduler() = default;
QtScheduler::~QtScheduler() = default;

Scheduler::TimerId QtScheduler::after(double seconds, std::function<void()> action) {
    return add(seconds, false, std::move(action));
}

Scheduler::TimerId QtScheduler::every(double seconds, std::function<void()> action) {
    return add(seconds, true, std::move(action));
}

Scheduler::TimerId QtScheduler::add(double seconds, bool repeating, std::function<void()> action) {
    const TimerId id = m_nextId++;
    auto timer = std::make_unique<QTimer>();
    timer->setTimerType(Qt::PreciseTimer);
    timer->setSingleShot(!repeating);
    timer->setInterval(qMax(0, int(seconds * 1000 + 0.5)));
    QObject::connect(timer.get(), &QTimer::timeout, &m_context, [this, id, repeating, action] {
        if (!repeating)
            cancel(id);
        action();
    });
    timer->start();
    m_timers[id] = std::move(timer);
    return id;
}

void QtScheduler::cancel(TimerId id) {
    const auto it = m_timers.find(id);
    if (it == m_timers.end())
        return;
    it->second->stop();
    // The timer may be the one whose timeout is running now.
    it->second.release()->deleteLater();
    m_timers.erase(it);
}

void QtScheduler::post(std::function<void()> action) {
    QMetaObject::invokeMethod(&m_context, std::move(action), Qt::QueuedConnection);
}
