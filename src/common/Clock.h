#pragma once

#include <QDateTime>

// Time source of everything that measures intervals or stamps dates, so state machines can
// be driven by a fake clock in tests.
class Clock {
public:
    virtual ~Clock() = default;
    // Seconds on a clock that never jumps backwards and keeps counting through suspend.
    virtual double elapsedSeconds() const = 0;
    virtual QDateTime now() const = 0;

    static Clock& system();
};
