#include "platform/DisplayServers.h"

DisplayServers probeDisplayServers() {
    return {};
}
