#pragma once

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

// One socket as the kernel's socket table lists it.
struct SocketEntry {
    std::uint64_t cookie = 0;
    std::uint64_t inode = 0; // 0 while no process holds it (not yet accepted, or closed)
    std::uint32_t uid = 0;
    bool awaitingAccept = false; // no inode yet, but a process will hold it once it accepts
};

// The socket of one sock_diag reply message (the bytes after the netlink header); none when
// it is cut short or not of an internet family.
std::optional<SocketEntry> parseSocketMessage(std::string_view payload);

// Every TCP and UDP socket, IPv4 and IPv6, of this network namespace; none when the kernel
// refused the IPv4 listing (IPv6 may be disabled).
std::optional<std::vector<SocketEntry>> listSockets();
