#pragma once

#include "speedtest/core/CurlTransport.h"
#include "speedtest/core/QtScheduler.h"
#include "speedtest/core/SpeedTestEngine.h"

// The engine wired to the real HTTP client, the Qt event loop and the system clock; create
// one on the main thread and keep it for as long as tests may run.
class SpeedTestRunner {
public:
    explicit SpeedTestRunner(const NodeCatalogue& catalogue, SpeedTestTuning tuning = {});

    SpeedTestEngine& engine() { return m_engine; }

private:
    CurlTransport m_transport;
    QtScheduler m_scheduler;
    SpeedTestEngine m_engine;
};
