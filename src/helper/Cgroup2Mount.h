#pragma once

#include <optional>
#include <string>
#include <string_view>

// Where the cgroup2 hierarchy is mounted, from the text of /proc/mounts: /sys/fs/cgroup on a
// unified system, /sys/fs/cgroup/unified beside the version 1 controllers on a hybrid one.
std::optional<std::string> findCgroup2Mount(std::string_view procMounts);
