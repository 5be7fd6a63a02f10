#pragma once

#include <QString>

#include <memory>

#include <unordered_map>
#include <unordered_set>

// Which process holds each of the given socket inodes, by its name (/proc/PID/comm, or the
// executable's whole file name where the kernel cut the name at 15 bytes), found through the
// "socket:[inode]" links in /proc/PID/fd. Processes whose descriptors cannot be
// read (other users', without privileges) are passed over; the first holder found wins.
std::unordered_map<quint64, QString> findSocketOwners(const std::unordered_set<quint64>& inodes,
                                                      const char* procRoot = "/proc");
