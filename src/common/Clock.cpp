#include "common/Clock.h"

#include <ctime>

namespace {

class SystemClock final : public Clock {
public:
    double elapsedSeconds() const override {
        timespec ts{};
#ifdef CLOCK_BOOTTIME
        clock_gettime(CLOCK_BOOTTIME, &ts);
#else
        clock_gettime(CLOCK_MONOTONIC, &ts);
#endif
        return double(ts.tv_sec) + double(ts.tv_nsec) / 1e9;
    }
    QDateTime now() const override {
        return QDateTime::currentDateTime();
    }
};

} // namespace

Clock& Clock::system() {
    static SystemClock clock;
    return clock;
}
