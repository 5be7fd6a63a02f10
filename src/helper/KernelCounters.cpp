#include "KernelCounters.h"

#include "Cgroup2Mount.h"
#include "FileText.h"
#include "TrafficCounters.skel.h"

#include <bpf/libbpf.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

class FileDescriptor {
public:
    explicit FileDescriptor(int fd) : m_fd(fd) {}
    ~FileDescriptor() {
        if (m_fd >= 0)
            close(m_fd);
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    int get() const { return m_fd; }

private:
    int m_fd;
};

std::string reason(const char* what, int error) {
    return std::string(what) + "：" + std::strerror(error);
}

// Identifies this process's network namespace the way bpf_get_netns_cookie() does.
std::optional<std::uint64_t> ownNetnsCookie() {
    const FileDescriptor probe(socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0));
    std::uint64_t cookie = 0;
    socklen_t length = sizeof cookie;
    if (probe.get() < 0 || getsockopt(probe.get(), SOL_SOCKET, SO_NETNS_COOKIE, &cookie, &length))
        return std::nullopt;
    return cookie;
}

template <typename Key> std::vector<Key> keysOf(const bpf_map* map) {
    std::vector<Key> keys;
    Key next{};
    while (bpf_map__get_next_key(map, keys.empty() ? nullptr : &keys.back(), &next, sizeof next) ==
           0)
        keys.push_back(next);
    return keys;
}

} // namespace

KernelCounters::KernelCounters(traffic_counters* skeleton, std::uint64_t netns)
    : m_skeleton(skeleton), m_netns(netns) {}

KernelCounters::~KernelCounters() {
    traffic_counters__destroy(m_skeleton);
}

std::unique_ptr<KernelCounters> KernelCounters::attach(std::string& error) {
    libbpf_set_print(nullptr); // our own one-line reasons say enough
    const auto mounts = readFileText("/proc/mounts");
    const auto root = mounts ? findCgroup2Mount(*mounts) : std::nullopt;
    if (!root) {
        error = "没有挂载 cgroup2";
        return nullptr;
    }
    const FileDescriptor cgroup(open(root->c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (cgroup.get() < 0) {
        error = reason(("无法打开 " + *root).c_str(), errno);
        return nullptr;
    }
    const auto netns = ownNetnsCookie();
    if (!netns) {
        error = reason("无法识别网络命名空间", errno);
        return nullptr;
    }
    traffic_counters* skeleton = traffic_counters__open();
    if (!skeleton) {
        error = reason("无法打开 eBPF 程序", errno);
        return nullptr;
    }
    std::unique_ptr<KernelCounters> counters(new KernelCounters(skeleton, *netns));
    skeleton->rodata->counted_netns = *netns;
    if (traffic_counters__load(skeleton) != 0) {
        error = reason("无法加载 eBPF 程序", errno);
        return nullptr;
    }
    skeleton->links.record_owner =
        bpf_program__attach_cgroup(skeleton->progs.record_owner, cgroup.get());
    skeleton->links.count_received =
        bpf_program__attach_cgroup(skeleton->progs.count_received, cgroup.get());
    skeleton->links.count_sent =
        bpf_program__attach_cgroup(skeleton->progs.count_sent, cgroup.get());
    if (!skeleton->links.record_owner || !skeleton->links.count_received ||
        !skeleton->links.count_sent) {
        error = reason(("无法挂接 eBPF 程序到 " + *root).c_str(), errno);
        return nullptr;
    }
    return counters;
}

std::vector<std::uint32_t> KernelCounters::processIds() {
    return keysOf<std::uint32_t>(m_skeleton->maps.processes);
}

std::optional<process_bytes> KernelCounters::readProcess(std::uint32_t pid, bool remove) {
    process_bytes record{};
    const int result = remove
                           ? bpf_map__lookup_and_delete_elem(m_skeleton->maps.processes, &pid,
                                                             sizeof pid, &record, sizeof record, 0)
                           : bpf_map__lookup_elem(m_skeleton->maps.processes, &pid, sizeof pid,
                                                  &record, sizeof record, 0);
    if (result != 0)
        return std::nullopt;
    return record;
}

std::vector<std::uint64_t> KernelCounters::unownedSockets() {
    return keysOf<std::uint64_t>(m_skeleton->maps.unowned);
}

std::optional<byte_counts> KernelCounters::takeUnowned(std::uint64_t cookie) {
    byte_counts bytes{};
    if (bpf_map__lookup_and_delete_elem(m_skeleton->maps.unowned, &cookie, sizeof cookie, &bytes,
                                        sizeof bytes, 0) != 0)
        return std::nullopt;
    return bytes;
}

void KernelCounters::adopt(std::uint64_t cookie, std::uint32_t pid, std::uint32_t uid,
                           std::string_view name) {
    socket_owner owner{};
    owner.netns = m_netns;
    owner.pid = pid;
    owner.uid = uid;
    name.copy(owner.comm, std::min(name.size(), sizeof owner.comm - 1));
    bpf_map__update_elem(m_skeleton->maps.owners, &cookie, sizeof cookie, &owner, sizeof owner,
                         BPF_ANY);
}

void KernelCounters::setCountedLinks(const std::vector<std::uint32_t>& indexes) {
    for (std::uint32_t index : m_countedLinks) {
        if (std::find(indexes.begin(), indexes.end(), index) == indexes.end())
            bpf_map__delete_elem(m_skeleton->maps.counted_links, &index, sizeof index, 0);
    }
    const std::uint8_t counted = 1;
    for (std::uint32_t index : indexes)
        bpf_map__update_elem(m_skeleton->maps.counted_links, &index, sizeof index, &counted,
                             sizeof counted, BPF_ANY);
    m_countedLinks = indexes;
}
