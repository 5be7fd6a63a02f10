#include "platform/DesktopIndex.h"
#include "platform/linux/LinuxRunningApps.h"
#include "platform/linux/SocketOwners.h"
#include "traffic/core/AppNameResolver.h"

#include "support/FakeClock.h"
#include "support/TestEnvironment.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

#include <csignal>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// Sets environment variables for the test's lifetime.
class ScopedEnvironment {
public:
    void set(const char* name, const QString& value) {
        m_previous.emplace_back(name, qgetenv(name));
        qputenv(name, value.toUtf8());
    }
    ~ScopedEnvironment() {
        for (auto it = m_previous.rbegin(); it != m_previous.rend(); ++it)
            qputenv(it->first, it->second);
    }

private:
    std::vector<std::pair<const char*, QByteArray>> m_previous;
};

// A desktop in miniature under the test root: programs on a PATH, desktop entries in the XDG
// directories (the user's, the system's and Flatpak's exports), and a /proc whose processes
// each hold one socket.
class MiniatureDesktop {
public:
    explicit MiniatureDesktop(const QString& name) : root(QDir(testRoot()).filePath(name)) {
        QDir().mkpath(path("proc/self/ns"));
        QFile::link(QString::fromLatin1(kHostMounts), path("proc/self/ns/mnt"));
        environment.set("XDG_DATA_HOME", path("home/.local/share"));
        environment.set("XDG_DATA_DIRS",
                        path("usr/share") + u':' + path("var/lib/flatpak/exports/share"));
        environment.set("PATH", path("usr/bin"));
    }

    QString path(const QString& relative) const { return QDir(root).filePath(relative); }

    QString program(const QString& relative) {
        const QString file = path(relative);
        QDir().mkpath(QFileInfo(file).absolutePath());
        QFile out(file);
        EXPECT_TRUE(out.open(QIODevice::WriteOnly));
        out.write("#!/bin/sh\n");
        out.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        return file;
    }
    void link(const QString& relativeTarget, const QString& relativeLink) {
        QDir().mkpath(QFileInfo(path(relativeLink)).absolutePath());
        EXPECT_TRUE(QFile::link(relativeTarget, path(relativeLink)));
    }
    void entry(const QString& relative, const QString& body) {
        const QString file = path(relative);
        QDir().mkpath(QFileInfo(file).absolutePath());
        QFile out(file);
        EXPECT_TRUE(out.open(QIODevice::WriteOnly));
        out.write(QStringLiteral("[Desktop Entry]\nType=Application\n%1\n")
                      .arg(body)
                      .replace(QStringLiteral("$ROOT"), root)
                      .toUtf8());
    }

    struct Process {
        int pid;
        QByteArray comm;
        QString exe;
        QByteArray argv0;
        QByteArray flatpakInfo = {};
        QByteArray cgroup = "0::/user.slice/user-1000.slice/session-2.scope\n";
        QByteArray mounts = kHostMounts; // empty: the namespace cannot be looked at
    };
    static inline const QByteArray kHostMounts = "mnt:[4026531841]";
    static inline const QByteArray kSandboxMounts = "mnt:[4026532999]";
    // The process holds the socket with inode 1000 + pid.
    void process(const Process& p) {
        const QString dir = path(QStringLiteral("proc/%1").arg(p.pid));
        QDir().mkpath(dir + QStringLiteral("/fd"));
        write(dir + QStringLiteral("/comm"), p.comm + '\n');
        write(dir + QStringLiteral("/cmdline"), p.argv0 + QByteArray("\0--flag\0", 8));
        write(dir + QStringLiteral("/cgroup"), p.cgroup);
        if (!p.flatpakInfo.isEmpty()) {
            QDir().mkpath(dir + QStringLiteral("/root"));
            write(dir + QStringLiteral("/root/.flatpak-info"), p.flatpakInfo);
        }
        EXPECT_TRUE(QFile::link(p.exe, dir + QStringLiteral("/exe")));
        if (!p.mounts.isEmpty()) {
            QDir().mkpath(dir + QStringLiteral("/ns"));
            EXPECT_TRUE(
                QFile::link(QString::fromLatin1(p.mounts), dir + QStringLiteral("/ns/mnt")));
        }
        EXPECT_TRUE(QFile::link(QStringLiteral("socket:[%1]").arg(1000 + p.pid),
                                dir + QStringLiteral("/fd/7")));
    }

    const QString root;

private:
    static void write(const QString& file, const QByteArray& bytes) {
        QFile out(file);
        EXPECT_TRUE(out.open(QIODevice::WriteOnly));
        out.write(bytes);
    }

    ScopedEnvironment environment;
};

// What the program records for a process (the name of its socket's owner) and what the
// statistics window then shows for it.
TEST(AppNamesOnLinux, RecordedAndShownNamesOfRealLookingProcesses) {
    MiniatureDesktop desktop(QStringLiteral("miniature"));
    desktop.program("usr/bin/flatpak");
    desktop.program("usr/share/code/code");
    desktop.link("../share/code/code", "usr/bin/code");
    desktop.program("usr/lib/firefox-esr/firefox-esr");
    desktop.link("../lib/firefox-esr/firefox-esr", "usr/bin/firefox-esr");
    desktop.program("opt/netease/netease-cloud-music/netease-cloud-music");
    desktop.program("opt/netease/netease-cloud-music/netease-cloud-music.bash");

    // The user's own entries come first: a game shortcut that starts steam with a URL.
    desktop.entry("home/.local/share/applications/Counter-Strike 2.desktop",
                  "Name=Counter-Strike 2\nExec=steam steam://rungameid/730\nIcon=steam_icon_730");
    desktop.entry("usr/share/applications/steam.desktop",
                  "Name=Steam\nName[zh_CN]=Steam\nExec=/usr/games/steam %U\nStartupWMClass=Steam");
    desktop.entry("usr/share/applications/code-url-handler.desktop",
                  "Name=Visual Studio Code - URL Handler\nExec=code --open-url %U\nNoDisplay=true");
    desktop.entry("usr/share/applications/code.desktop",
                  "Name=Visual\\sStudio\\sCode\nExec=code %F\nStartupWMClass=Code");
    desktop.entry("usr/share/applications/firefox-esr.desktop",
                  "Name=Firefox ESR\nName[zh_CN]=Firefox ESR 网页浏览器\nExec=firefox-esr %u");
    desktop.entry("usr/share/applications/netease-cloud-music.desktop",
                  "Name=NetEase Cloud Music\nName[zh_CN]=网易云音乐\n"
                  "Exec=$ROOT/opt/netease/netease-cloud-music/netease-cloud-music.bash %U\n"
                  "StartupWMClass=netease-cloud-music");
    desktop.entry("var/lib/flatpak/exports/share/applications/com.spotify.Client.desktop",
                  "Name=Spotify\nExec=/usr/bin/flatpak run --branch=stable --arch=x86_64 "
                  "--command=spotify --file-forwarding com.spotify.Client @@u %U @@\n"
                  "StartupWMClass=Spotify");

    const QByteArray spotifyInfo = "[Application]\nname=com.spotify.Client\n";
    const QByteArray spotifyScope = "0::/user.slice/user-1000.slice/user@1000.service/app.slice/"
                                    "app-flatpak-com.spotify.Client-2417.scope\n";
    const struct {
        MiniatureDesktop::Process process;
        const char* recorded;
        const char* shown;
    } table[] = {
        {{101, "steam", "/home/user/.local/share/Steam/ubuntu12_32/steam", "steam"},
         "steam",
         "Steam"},
        {{102, "flatpak", desktop.path("usr/bin/flatpak"), "/usr/bin/flatpak"},
         "flatpak",
         "flatpak"},
        {{103, "spotify", "/app/extra/share/spotify/spotify", "/app/extra/spotify", spotifyInfo,
          spotifyScope, MiniatureDesktop::kSandboxMounts},
         "spotify",
         "Spotify"},
        // Its sandbox cannot be looked into: the cgroup still tells the application.
        {{104, "zypak-helper", "/app/bin/zypak-helper", "zypak-helper", {}, spotifyScope, {}},
         "zypak-helper",
         "Spotify"},
        // Sandboxed too, but not by Flatpak.
        {{110,
          "snap-helper",
          "/usr/bin/snap-helper",
          "snap-helper",
          {},
          "0::/user.slice/user-1000.slice/user@1000.service/app.slice/snap.x.y-1.scope\n",
          MiniatureDesktop::kSandboxMounts},
         "snap-helper",
         "snap-helper"},
        {{105, "netease-cloud-m",
          desktop.path("opt/netease/netease-cloud-music/netease-cloud-music"),
          "netease-cloud-music"},
         "netease-cloud-music",
         "网易云音乐"},
        {{106, "code", desktop.path("usr/share/code/code"), "/usr/share/code/code"},
         "code",
         "Visual Studio Code"},
        {{107, "firefox-esr", desktop.path("usr/lib/firefox-esr/firefox-esr"), "firefox-esr"},
         "firefox-esr",
         "Firefox ESR 网页浏览器"},
    };
    std::unordered_set<quint64> inodes;
    for (const auto& row : table) {
        desktop.process(row.process);
        inodes.insert(quint64(1000 + row.process.pid));
    }

    const QString proc = desktop.path("proc");
    const auto owners = findSocketOwners(inodes, QFile::encodeName(proc).constData());
    const DesktopIndex index = DesktopIndex::fromStandardLocations();
    FakeClock clock;
    AppNameResolver resolver([&] { return runningApplications(proc, index); }, clock);
    for (const auto& row : table) {
        const auto owner = owners.find(quint64(1000 + row.process.pid));
        ASSERT_NE(owner, owners.end()) << row.recorded;
        EXPECT_EQ(owner->second, QString::fromUtf8(row.recorded));
        EXPECT_EQ(resolver.resolve(owner->second), QString::fromUtf8(row.shown)) << row.recorded;
    }
}

// One real process with a long executable name, holding a socket: the owner's name is whole,
// and the desktop entry that starts that executable names it.
TEST(AppNamesOnLinux, RealProcessWithALongExecutableName) {
    MiniatureDesktop desktop(QStringLiteral("real"));
    const QString helper = desktop.path("opt/vorn-test/vorn-long-running-helper");
    QDir().mkpath(QFileInfo(helper).absolutePath());
    ASSERT_TRUE(QFile::copy(QStringLiteral("/bin/sleep"), helper));
    desktop.entry("usr/share/applications/vorn-helper.desktop",
                  "Name=Helper\nName[zh_CN]=长名助手\nExec=$ROOT/opt/vorn-test/"
                  "vorn-long-running-helper --flag");

    const int held = socket(AF_INET, SOCK_STREAM, 0); // inherited by the child's program
    ASSERT_GE(held, 0);
    struct stat status {};
    ASSERT_EQ(fstat(held, &status), 0);
    const QByteArray program = QFile::encodeName(helper);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        execl(program.constData(), program.constData(), "30", static_cast<char*>(nullptr));
        _exit(127);
    }
    close(held);
    const QString exeLink = QStringLiteral("/proc/%1/exe").arg(child);
    for (int i = 0; i < 500 && QFile::symLinkTarget(exeLink) != helper; ++i)
        usleep(10'000);

    const auto owners = findSocketOwners({quint64(status.st_ino)});
    const DesktopIndex index = DesktopIndex::fromStandardLocations();
    const std::vector<RunningApp> apps = runningApplications(QStringLiteral("/proc"), index);
    kill(child, SIGKILL);
    waitpid(child, nullptr, 0);

    ASSERT_EQ(owners.size(), 1u);
    EXPECT_EQ(owners.begin()->second, "vorn-long-running-helper");
    const auto app = std::find_if(apps.begin(), apps.end(), [&](const RunningApp& running) {
        return running.executablePath == helper;
    });
    ASSERT_NE(app, apps.end());
    EXPECT_EQ(app->localizedName, "长名助手");
}

} // namespace
