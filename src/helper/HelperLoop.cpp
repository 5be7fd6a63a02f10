#include "HelperLoop.h"

#include "RequestReader.h"
#include "SampleReport.h"

#include <cerrno>
#include <poll.h>
#include <unistd.h>

namespace {

constexpr int kAdoptionIntervalMs = 1000;

bool writeAll(int fd, const std::string& text) {
    size_t written = 0;
    while (written < text.size()) {
        const ssize_t n = write(fd, text.data() + written, text.size() - written);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        written += size_t(n);
    }
    return true;
}

} // namespace

HelperLoop::HelperLoop(ProcessBook& book, SocketAdoption& adoption, std::uint32_t viewerUid,
                       int linkChangesFd, std::function<void()> onLinkChanges)
    : m_book(book), m_adoption(adoption), m_viewerUid(viewerUid), m_linkChangesFd(linkChangesFd),
      m_onLinkChanges(std::move(onLinkChanges)) {}

bool HelperLoop::answer(int output) {
    m_adoption.adoptPending();
    return writeAll(output, formatSampleReport(m_book.collect(), m_viewerUid));
}

int HelperLoop::run(int input, int output) {
    RequestReader reader;
    pollfd fds[2] = {{input, POLLIN, 0}, {m_linkChangesFd, POLLIN, 0}};
    const nfds_t count = m_linkChangesFd >= 0 ? 2 : 1;
    for (;;) {
        const int ready = poll(fds, count, kAdoptionIntervalMs);
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready < 0)
            return 1;
        if (ready == 0) {
            m_adoption.adoptPending();
            continue;
        }
        if (count == 2 && (fds[1].revents & POLLIN))
            m_onLinkChanges();
        if (!fds[0].revents)
            continue;
        char buffer[256];
        const ssize_t length = read(input, buffer, sizeof buffer);
        if (length < 0 && errno == EINTR)
            continue;
        if (length <= 0)
            return 0;
        for (const auto request : reader.feed(std::string_view(buffer, size_t(length)))) {
            if (request == RequestReader::Request::Invalid)
                return 2;
            if (!answer(output))
                return 1;
        }
    }
}
