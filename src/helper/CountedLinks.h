#pragma once

#include <cstdint>
#include <string>
#include <vector>

// One network interface of the helper's namespace.
struct Link {
    std::uint32_t index = 0;
    std::string name;
    bool loopback = false;  // by type
    bool hasDevice = false; // backed by hardware (sysfs NAME/device exists)
};

// The interfaces whose packets count, by the rule the program's totals follow: those backed by
// a device, up or down; where none is (a container, a VM without one), every one that is not
// loopback. So per-process bytes and the totals cover the same links.
std::vector<std::uint32_t> selectCountedLinks(const std::vector<Link>& links);
