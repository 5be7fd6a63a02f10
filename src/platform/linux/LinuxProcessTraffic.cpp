#include "platform/ProcessTraffic.h"

std::unique_ptr<ProcessTraffic> ProcessTraffic::create() {
    return nullptr;
}
