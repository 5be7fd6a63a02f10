#include "Netlink.h"

#include <cerrno>
#include <cstring>
#include <linux/netlink.h>
#include <memory>
#include <sys/socket.h>
#include <unistd.h>

#include <string>

NetlinkBatch walkNetlinkMessages(std::string_view buffer, const NetlinkMessageHandler& handle) {
    size_t offset = 0;
    nlmsghdr header{};
    while (buffer.size() - offset >= sizeof header) {
        std::memcpy(&header, buffer.data() + offset, sizeof header);
        if (header.nlmsg_len < sizeof header || header.nlmsg_len > buffer.size() - offset)
            break;
        if (header.nlmsg_type == NLMSG_DONE)
            return NetlinkBatch::Done;
        if (header.nlmsg_type == NLMSG_ERROR)
            return NetlinkBatch::Failed;
        handle(header.nlmsg_type,
               buffer.substr(offset + NLMSG_HDRLEN, header.nlmsg_len - NLMSG_HDRLEN));
        offset += NLMSG_ALIGN(header.nlmsg_len);
        if (offset > buffer.size())
            break;
    }
    return NetlinkBatch::More;
}

bool netlinkDump(int protocol, unsigned type, std::string_view request,
                 const NetlinkMessageHandler& handle) {
    const int fd = socket(AF_NETLINK, SOCK_DGRAM | SOCK_CLOEXEC, protocol);
    if (fd < 0)
        return false;
    std::string message(NLMSG_HDRLEN + request.size(), '\0');
    nlmsghdr header{};
    header.nlmsg_len = __u32(message.size());
    header.nlmsg_type = __u16(type);
    header.nlmsg_flags = NLM_F_REQUEST | NLM_F_DUMP;
    std::memcpy(message.data(), &header, sizeof header);
    std::memcpy(message.data() + NLMSG_HDRLEN, request.data(), request.size());
    sockaddr_nl kernel{};
    kernel.nl_family = AF_NETLINK;
    bool ok = sendto(fd, message.data(), message.size(), 0, reinterpret_cast<sockaddr*>(&kernel),
                     sizeof kernel) == ssize_t(message.size());
    constexpr size_t kBufferSize = 64 * 1024;
    const auto buffer = std::make_unique<char[]>(kBufferSize);
    while (ok) {
        const ssize_t length = recv(fd, buffer.get(), kBufferSize, 0);
        if (length < 0 && errno == EINTR)
            continue;
        if (length <= 0) {
            ok = false;
            break;
        }
        const NetlinkBatch batch =
            walkNetlinkMessages(std::string_view(buffer.get(), size_t(length)), handle);
        if (batch == NetlinkBatch::Done)
            break;
        ok = batch == NetlinkBatch::More;
    }
    close(fd);
    return ok;
}
