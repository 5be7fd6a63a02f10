#include "Cgroup2Mount.h"
#include "CountedLinks.h"

#include <gtest/gtest.h>

namespace {

TEST(Cgroup2Mount, FindsTheHierarchyOnUnifiedAndHybridSystems) {
    EXPECT_EQ(findCgroup2Mount("sysfs /sys sysfs rw 0 0\n"
                               "cgroup2 /sys/fs/cgroup cgroup2 rw,nsdelegate 0 0\n"),
              "/sys/fs/cgroup");
    EXPECT_EQ(findCgroup2Mount("tmpfs /sys/fs/cgroup tmpfs rw 0 0\n"
                               "cgroup /sys/fs/cgroup/cpu cgroup rw,cpu 0 0\n"
                               "cgroup2 /sys/fs/cgroup/unified cgroup2 rw 0 0"),
              "/sys/fs/cgroup/unified");
    EXPECT_EQ(findCgroup2Mount("none /run/my\\040cgroups cgroup2 rw 0 0\n"), "/run/my cgroups");
}

TEST(Cgroup2Mount, NoneWithoutAVersion2Mount) {
    EXPECT_EQ(findCgroup2Mount("cgroup /sys/fs/cgroup/cpu cgroup rw,cpu 0 0\n"), std::nullopt);
    EXPECT_EQ(findCgroup2Mount("cgroup2\n"), std::nullopt); // cut short
    EXPECT_EQ(findCgroup2Mount(""), std::nullopt);
}

TEST(CountedLinks, DeviceBackedInterfacesOnly) {
    const std::vector<Link> links = {{1, "lo", true, false},
                                     {2, "enp3s0", false, true},
                                     {3, "wlp2s0", false, true},
                                     {4, "docker0", false, false},
                                     {5, "wg0", false, false}};
    EXPECT_EQ(selectCountedLinks(links), (std::vector<std::uint32_t>{2, 3}));
}

TEST(CountedLinks, WithoutAnyDeviceEveryLinkButLoopback) {
    const std::vector<Link> links = {
        {1, "lo", true, false}, {7, "veth0", false, false}, {9, "lo2", true, false}};
    EXPECT_EQ(selectCountedLinks(links), (std::vector<std::uint32_t>{7}));
    EXPECT_TRUE(selectCountedLinks({{1, "lo", true, false}}).empty());
}

} // namespace
