/* Per-process bytes of every protocol: the socket's creator is recorded under the socket's
 * cookie when the socket is made, and each packet on a counted link is added to its owner. */
#include "TrafficMaps.h"

#include <linux/bpf.h>

#include <bpf/bpf_helpers.h>

/* The network namespace whose links count; set by the helper before loading. */
const volatile __u64 counted_netns = 0;

struct {
    __uint(type, BPF_MAP_TYPE_LRU_HASH);
    __uint(max_entries, 65536);
    __type(key, __u64);
    __type(value, struct socket_owner);
} owners SEC(".maps");

struct {
    __uint(type, BPF_MAP_TYPE_HASH);
    __uint(max_entries, 16384);
    __type(key, __u32);
    __type(value, struct process_bytes);
} processes SEC(".maps");

/* Bytes of sockets made before the helper started or accepted from a listener: no creator was
 * seen, so the helper finds their process through the socket table. */
struct {
    __uint(type, BPF_MAP_TYPE_LRU_HASH);
    __uint(max_entries, 4096);
    __type(key, __u64);
    __type(value, struct byte_counts);
} unowned SEC(".maps");

struct {
    __uint(type, BPF_MAP_TYPE_HASH);
    __uint(max_entries, 256);
    __type(key, __u32);
    __type(value, __u8);
} counted_links SEC(".maps");

SEC("cgroup/sock_create")
int record_owner(struct bpf_sock* sk) {
    struct socket_owner owner;
    __builtin_memset(&owner, 0, sizeof owner);
    __u64 cookie = bpf_get_socket_cookie(sk);
    owner.netns = bpf_get_netns_cookie(sk);
    owner.pid = bpf_get_current_pid_tgid() >> 32;
    owner.uid = (__u32)bpf_get_current_uid_gid();
    bpf_get_current_comm(owner.comm, sizeof owner.comm);
    bpf_map_update_elem(&owners, &cookie, &owner, BPF_ANY);
    return 1;
}

static __always_inline void add(struct byte_counts* bytes, int received, __u64 length) {
    if (received)
        __sync_fetch_and_add(&bytes->received, length);
    else
        __sync_fetch_and_add(&bytes->sent, length);
}

static __always_inline void count_unowned(__u64 cookie, int received, __u64 length) {
    struct byte_counts* bytes = bpf_map_lookup_elem(&unowned, &cookie);
    if (!bytes) {
        struct byte_counts zero = {};
        bpf_map_update_elem(&unowned, &cookie, &zero, BPF_NOEXIST);
        bytes = bpf_map_lookup_elem(&unowned, &cookie);
        if (!bytes)
            return;
    }
    add(bytes, received, length);
}

static __always_inline int count(struct __sk_buff* skb, __u32 link, int received) {
    if (!bpf_map_lookup_elem(&counted_links, &link))
        return 1;
    __u64 cookie = bpf_get_socket_cookie(skb);
    struct socket_owner* owner = bpf_map_lookup_elem(&owners, &cookie);
    if (!owner) {
        count_unowned(cookie, received, skb->len);
        return 1;
    }
    if (owner->netns != counted_netns)
        return 1; /* link indexes are per namespace: this packet is on another namespace's link */
    __u32 pid = owner->pid;
    struct process_bytes* process = bpf_map_lookup_elem(&processes, &pid);
    if (!process) {
        struct process_bytes fresh;
        __builtin_memset(&fresh, 0, sizeof fresh);
        fresh.uid = owner->uid;
        __builtin_memcpy(fresh.comm, owner->comm, sizeof fresh.comm);
        bpf_map_update_elem(&processes, &pid, &fresh, BPF_NOEXIST);
        process = bpf_map_lookup_elem(&processes, &pid);
        if (!process)
            return 1;
    }
    add(&process->bytes, received, skb->len);
    return 1;
}

/* Both directions see the packet from its IP header on; returning 1 lets every packet pass. */
SEC("cgroup_skb/ingress")
int count_received(struct __sk_buff* skb) {
    return count(skb, skb->ingress_ifindex, 1);
}

SEC("cgroup_skb/egress")
int count_sent(struct __sk_buff* skb) {
    return count(skb, skb->ifindex, 0);
}

char LICENSE[] SEC("license") = "Dual BSD/GPL";
