#include "SocketAdoption.h"

SocketAdoption::SocketAdoption(CounterStore& store, ProcessBook& book, ProcessNames& names,
                               ListSockets listSockets, FindHolders findHolders)
    : m_store(store), m_book(book), m_names(names), m_listSockets(std::move(listSockets)),
      m_findHolders(std::move(findHolders)) {}

void SocketAdoption::adoptPending() {
    const std::vector<std::uint64_t> unowned = m_store.unownedSockets();
    std::unordered_set<std::uint64_t> givenUp;
    std::vector<std::uint64_t> pending;
    for (const std::uint64_t cookie : unowned) {
        if (m_givenUp.count(cookie))
            givenUp.insert(cookie);
        else
            pending.push_back(cookie);
    }
    m_givenUp = std::move(givenUp); // forget sockets the kernel map no longer holds
    if (pending.empty())
        return;
    const auto sockets = m_listSockets();
    if (!sockets)
        return;
    std::unordered_map<std::uint64_t, const SocketEntry*> byCookie;
    for (const SocketEntry& socket : *sockets)
        byCookie.emplace(socket.cookie, &socket);
    std::unordered_set<std::uint64_t> inodes;
    for (const std::uint64_t cookie : pending) {
        const auto socket = byCookie.find(cookie);
        if (socket != byCookie.end() && socket->second->inode != 0)
            inodes.insert(socket->second->inode);
    }
    const auto holders =
        inodes.empty() ? std::unordered_map<std::uint64_t, std::uint32_t>() : m_findHolders(inodes);
    for (const std::uint64_t cookie : pending) {
        const auto socket = byCookie.find(cookie);
        if (socket == byCookie.end()) {
            m_givenUp.insert(cookie);
            continue;
        }
        const SocketEntry& entry = *socket->second;
        if (entry.awaitingAccept)
            continue;
        const auto holder = holders.find(entry.inode);
        if (holder == holders.end()) {
            m_givenUp.insert(cookie);
            continue;
        }
        m_store.adopt(cookie, holder->second, entry.uid, m_names.nameOf(holder->second, {}));
        if (const auto bytes = m_store.takeUnowned(cookie))
            m_book.addAdopted(holder->second, entry.uid, *bytes);
    }
}
