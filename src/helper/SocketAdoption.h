#pragma once

#include "CounterStore.h"
#include "ProcessBook.h"
#include "SocketTable.h"

#include <functional>
#include <optional>
#include <unordered_map>
#include <unordered_set>
#include <vector>

// Finds the process behind each socket whose creator the kernel never saw: sockets made before
// the helper started (a long-lived connection must not be lost) and connections accepted from
// a listening socket. The socket table gives a socket's inode by its cookie, /proc the process
// holding that inode. From then on the socket counts for that process, and the bytes it
// carried before are added to the process.
class SocketAdoption {
public:
    using ListSockets = std::function<std::optional<std::vector<SocketEntry>>()>;
    using FindHolders = std::function<std::unordered_map<std::uint64_t, std::uint32_t>(
        const std::unordered_set<std::uint64_t>& inodes)>;

    SocketAdoption(CounterStore& store, ProcessBook& book, ProcessNames& names,
                   ListSockets listSockets, FindHolders findHolders);

    // Adopts every unowned socket that can be; cheap when there is nothing new to look up.
    void adoptPending();

private:
    CounterStore& m_store;
    ProcessBook& m_book;
    ProcessNames& m_names;
    ListSockets m_listSockets;
    FindHolders m_findHolders;
    // Sockets that cannot be placed (closed, another namespace's, another user's, the
    // kernel's own): not looked up again.
    std::unordered_set<std::uint64_t> m_givenUp;
};
