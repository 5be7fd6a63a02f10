#include "speedtest/core/SpeedTestRunner.h"

#include "common/Clock.h"

SpeedTestRunner::SpeedTestRunner(const NodeCatalogue& catalogue, SpeedTestTuning tuning)
    : m_transport(catalogue.caFile),
      m_engine(m_transport, m_scheduler, Clock::system(), catalogue, tuning) {}
