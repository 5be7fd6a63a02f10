#pragma once

#include "ProcessBook.h"
#include "SocketAdoption.h"

#include <cstdint>
#include <functional>

// The helper's conversation: answers each "sample" on input with a report on output, adopts
// unowned sockets between requests (at least once a second while idle), and lets the counted
// links follow changes when linkChangesFd becomes readable.
class HelperLoop {
public:
    HelperLoop(ProcessBook& book, SocketAdoption& adoption, std::uint32_t viewerUid,
               int linkChangesFd, std::function<void()> onLinkChanges);

    // Exit status: 0 when input closed, 2 when a request was refused, 1 when output failed.
    int run(int input, int output);

private:
    bool answer(int output);

    ProcessBook& m_book;
    SocketAdoption& m_adoption;
    std::uint32_t m_viewerUid;
    int m_linkChangesFd;
    std::function<void()> m_onLinkChanges;
};
