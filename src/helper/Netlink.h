#pragma once

#include <functional>
#include <string_view>

// One message of a netlink buffer: its type and the bytes after its header.
using NetlinkMessageHandler = std::function<void(unsigned type, std::string_view payload)>;

enum class NetlinkBatch { More, Done, Failed };

// Calls handle for every whole message of the buffer, never reading past it, and says whether
// a dump goes on, ended, or was refused.
NetlinkBatch walkNetlinkMessages(std::string_view buffer, const NetlinkMessageHandler& handle);

// Sends a dump request (the bytes after the netlink header) of the given type over a fresh
// socket of the protocol and hands every reply message to handle; false when it failed.
bool netlinkDump(int protocol, unsigned type, std::string_view request,
                 const NetlinkMessageHandler& handle);
