// vorn-traffic-helper: counts every process's bytes on the counted links with eBPF and tells
// them on request. It needs cap_bpf, cap_net_admin and cap_perfmon (file capabilities), takes
// no arguments, reads only "sample" lines on its standard input and ends when that closes.
#include "CountedLinks.h"
#include "HelperLoop.h"
#include "KernelCounters.h"
#include "LinkWatch.h"
#include "Privileges.h"
#include "ProcessBook.h"
#include "ProcessNames.h"
#include "SocketAdoption.h"
#include "SocketHolders.h"
#include "SocketTable.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <unistd.h>

namespace {

bool isAlive(std::uint32_t pid) {
    return kill(pid_t(pid), 0) == 0 || errno == EPERM;
}

bool countLinks(CounterStore& store) {
    const auto links = LinkWatch::links();
    if (links)
        store.setCountedLinks(selectCountedLinks(*links));
    return links.has_value();
}

} // namespace

int main(int argc, char**) {
    if (argc > 1) {
        std::fputs("vorn-traffic-helper 不接受参数；它只从标准输入读取 sample\n", stderr);
        return 2;
    }
    std::signal(SIGPIPE, SIG_IGN); // a reader gone is a failed write, not a silent death
    std::string error;
    const auto counters = KernelCounters::attach(error);
    if (!counters) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return 1;
    }
    keepOnlyBpfCapability();
    LinkWatch watch; // subscribed before the first listing, so no change falls in between
    if (!countLinks(*counters)) {
        std::fputs("无法列出网络接口\n", stderr);
        return 1;
    }
    ProcessNames names;
    ProcessBook book(*counters, names, isAlive);
    SocketAdoption adoption(*counters, book, names, listSockets,
                            [](const auto& inodes) { return findSocketHolders(inodes); });
    HelperLoop loop(book, adoption, getuid(), watch.fd(), [&] {
        if (watch.drainChanges())
            countLinks(*counters);
    });
    return loop.run(STDIN_FILENO, STDOUT_FILENO);
}
