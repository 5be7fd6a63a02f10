#pragma once

#include "speedtest/core/SpeedTestEngine.h"

#include <functional>
#include <memory>
#include <mutex>

// Hands answers from the transport's thread to the engine on the main thread; cleared when
// the engine goes away, so late answers find nobody.
struct SpeedTestEngine::Relay {
    std::mutex mutex;
    Scheduler* scheduler = nullptr;
    SpeedTestEngine* engine = nullptr;

    void post(std::function<void(SpeedTestEngine&)> action, std::weak_ptr<Relay> self) {
        const std::lock_guard guard(mutex);
        if (!scheduler)
            return;
        scheduler->post([self, action = std::move(action)] {
            const auto relay = self.lock();
            if (relay && relay->engine)
                action(*relay->engine);
        });
    }
};
