/* The records the kernel programs and the helper share; C, for both sides. */
#pragma once

#include <linux/types.h>

#define TRAFFIC_TASK_NAME_LENGTH 16

/* Who created a socket, kept under the socket's cookie. */
struct socket_owner {
    __u64 netns;
    __u32 pid;
    __u32 uid;
    char comm[TRAFFIC_TASK_NAME_LENGTH]; /* the creating thread's name */
};

struct byte_counts {
    __u64 received;
    __u64 sent;
};

/* One process's bytes on the counted links, kept under its process id. */
struct process_bytes {
    struct byte_counts bytes;
    __u32 uid;
    char comm[TRAFFIC_TASK_NAME_LENGTH];
};
