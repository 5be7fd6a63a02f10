#pragma once

#include "NamespaceNetwork.h"

#include <QtGlobal>

#include <cstddef>
#include <string>

// Traffic of known size through echo servers: what the tests of the traffic helper send.
inline constexpr int kUdpEchoPort = 18091;
inline constexpr int kTcpEchoPort = 18092;
inline constexpr size_t kDatagramBytes = 1000;
inline constexpr quint64 kUdpIpOverhead = 28; // IPv4 and UDP headers

// Starts a UDP and a TCP echo server (one process per connection) at kFarAddress, beyond an
// unshaped veth pair. Empty, or what failed.
std::string startEchoServer(ForkedChild& server);

// For the children that make the traffic; each exits the child with a code of its own when
// the network fails it.
int connectTcp(const char* address, int port);
// Sends bytes through a TCP echo in chunks, each waiting for its echo; the connection stays.
void pingPong(int fd, size_t bytes);
int connectUdp(const char* address, int port);
// Sends datagrams of kDatagramBytes through a UDP echo in windows, each waiting for its
// echoes, so no socket buffer overflows; a lost echo is waited for a second at most.
void exchangeDatagrams(int fd, int datagrams);
// TCP (kSelfStreamBytes through an echo) and UDP from this process to itself at address,
// which never leaves the machine.
inline constexpr size_t kSelfStreamBytes = 2'000'000;
void talkToSelf(const char* address);
