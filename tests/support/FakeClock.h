#pragma once

#include "common/Clock.h"

// A clock that moves only when told to; both readings advance together.
class FakeClock final : public Clock {
public:
    double elapsedSeconds() const override { return m_elapsed; }
    QDateTime now() const override { return m_now; }

    void advance(double seconds) {
        m_elapsed += seconds;
        m_now = m_now.addMSecs(qint64(seconds * 1000));
    }
    void setNow(const QDateTime& now) { m_now = now; }

private:
    double m_elapsed = 1000;
    QDateTime m_now = QDateTime(QDate(2026, 12, 6), QTime(12, 0));
};
