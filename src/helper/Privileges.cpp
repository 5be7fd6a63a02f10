#include "Privileges.h"

#include <linux/capability.h>
#include <sys/syscall.h>
#include <unistd.h>

void keepOnlyBpfCapability() {
    if (getuid() == 0)
        return;
    __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct data[_LINUX_CAPABILITY_U32S_3] = {};
    const unsigned word = CAP_TO_INDEX(CAP_BPF);
    data[word].effective = CAP_TO_MASK(CAP_BPF);
    data[word].permitted = CAP_TO_MASK(CAP_BPF);
    syscall(SYS_capset, &header, data);
}
