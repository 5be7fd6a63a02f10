#include "platform/InterfaceSelection.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

// Builds a class/net tree as sysfs shows it: NAME/type and, for hardware, NAME/device.
class SysClassNet {
public:
    void add(const char* name, int type, bool device) {
        const QString dir = m_root.filePath(QString::fromUtf8(name));
        QDir().mkpath(dir);
        QFile typeFile(dir + QStringLiteral("/type"));
        typeFile.open(QIODevice::WriteOnly);
        typeFile.write(QByteArray::number(type) + "\n");
        if (device)
            QDir().mkpath(dir + QStringLiteral("/device"));
    }
    QString path() const { return m_root.path(); }

private:
    QTemporaryDir m_root;
};

constexpr int kEther = 1, kLoopback = 772, kNone = 65534;

TEST(InterfaceSelection, CountsOnlyDeviceBackedInterfaces) {
    SysClassNet net;
    net.add("lo", kLoopback, false);
    net.add("enp3s0", kEther, true);
    net.add("wlp2s0", kEther, true); // down, still counted
    net.add("veth12ab", kEther, false);
    net.add("docker0", kEther, false);
    net.add("br-5f2", kEther, false);
    net.add("tun0", kNone, false);
    const auto counted = selectCountedInterfaces(
        net.path(), {"lo", "enp3s0", "wlp2s0", "veth12ab", "docker0", "br-5f2", "tun0"});
    EXPECT_EQ(counted, (std::vector<QByteArray>{"enp3s0", "wlp2s0"}));
}

TEST(InterfaceSelection, WithoutAnyDeviceCountsAllButLoopbackByType) {
    SysClassNet net;
    net.add("lo", kLoopback, false);
    net.add("eth0", kEther, false);
    net.add("loopy", kEther, false); // named like loopback but is not
    net.add("lo2", kLoopback, false);
    const auto counted =
        selectCountedInterfaces(net.path(), {"lo", "eth0", "loopy", "lo2", "gone"});
    EXPECT_EQ(counted, (std::vector<QByteArray>{"eth0", "loopy", "gone"}));
}

TEST(InterfaceSelection, HostileNamesNeverEscapeTheTree) {
    SysClassNet net;
    net.add("eth0", kEther, true);
    const auto counted = selectCountedInterfaces(net.path(), {"..", "../eth0", "", "eth0"});
    EXPECT_EQ(counted, (std::vector<QByteArray>{"eth0"}));
}

} // namespace
