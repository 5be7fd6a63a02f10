#pragma once

#include <cstdint>
#include <unordered_map>
#include <unordered_set>

// Which process holds each of the given socket inodes, found through the "socket:[inode]"
// links in /proc/PID/fd. Processes whose descriptors cannot be read are passed over; the first
// holder found wins.
std::unordered_map<std::uint64_t, std::uint32_t>
findSocketHolders(const std::unordered_set<std::uint64_t>& inodes, const char* procRoot = "/proc");
