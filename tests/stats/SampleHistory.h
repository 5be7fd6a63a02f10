#pragma once

#include "traffic/core/DailyTraffic.h"

// A week of traffic ending on the fake clock's day (2026-12-06), with a few applications.
inline TrafficData sampleWeek() {
    return {
        {"2026-11-30", {300000000, 20000000, {{"WeChat", {100000000, 5000000}}}}},
        {"2026-12-02", {50000000, 4000000, {{"firefox-esr", {40000000, 3000000}}}}},
        {"2026-12-05",
         {900000000,
          60000000,
          {{"WeChat", {200000000, 10000000}},
           {"a-very-long-process-name-that-will-not-fit-the-column", {1024, 0}}}}},
        {"2026-12-06", {120000000, 30000000, {{"curl", {0, 0}}}}},
    };
}
