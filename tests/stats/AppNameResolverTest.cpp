#include "traffic/core/AppNameResolver.h"

#include "support/FakeClock.h"

#include <gtest/gtest.h>

namespace {

// A fake desktop whose process list can change between calls, counting its consultations.
// Its clock moves 10 s per consultation unless a test holds it, so each new name sees the
// list as it is then.
struct FakeDesktop {
    std::vector<RunningApp> apps;
    int calls = 0;
    FakeClock clock;
    bool clockRuns = true;

    AppNameResolver resolver() {
        return AppNameResolver(
            [this] {
                ++calls;
                if (clockRuns)
                    clock.advance(10);
                return apps;
            },
            clock);
    }
};

} // namespace

TEST(AppNameResolver, KnownMapHas31ExactEntries) {
    EXPECT_EQ(AppNameResolver::knownMap().size(), 31u);
    FakeDesktop desktop;
    auto resolver = desktop.resolver();
    EXPECT_EQ(resolver.resolve("WeChat"), "微信");
    EXPECT_EQ(resolver.resolve("Weixin"), "微信");
    EXPECT_EQ(resolver.resolve("QQ"), "QQ");
    EXPECT_EQ(resolver.resolve("netease cloud music"), "网易云音乐");
    EXPECT_EQ(resolver.resolve("com.apple.nsurlsessiond"), "系统更新与下载");
    EXPECT_EQ(resolver.resolve("com.apple.WebKit.Networking"), "WebKit 网络");
    EXPECT_EQ(desktop.calls, 0);
}

TEST(AppNameResolver, CaseAndSpacesMatter) {
    FakeDesktop desktop;
    auto resolver = desktop.resolver();
    EXPECT_EQ(resolver.resolve("wechat"), "wechat");
    EXPECT_EQ(resolver.resolve("netease  cloud music"), "netease  cloud music");
    EXPECT_EQ(resolver.resolve("WeChat "), "WeChat ");
    EXPECT_EQ(desktop.calls, 3);
}

TEST(AppNameResolver, RunningApplicationByExactExecutableName) {
    FakeDesktop desktop;
    desktop.apps = {
        {"/usr/bin/bash", ""},
        {"", "没有路径"},
        {"/usr/lib/firefox-esr/firefox-esr", "Firefox ESR 网页浏览器"},
        {"/opt/other/firefox-esr", "Second"},
        {"/usr/bin/Telegram", "电报"},
        {"/usr/bin/noname", ""},
    };
    auto resolver = desktop.resolver();
    EXPECT_EQ(resolver.resolve("firefox-esr"), "Firefox ESR 网页浏览器"); // first match wins
    EXPECT_EQ(resolver.resolve("telegram"), "telegram");                  // case matters
    EXPECT_EQ(resolver.resolve("noname"), "noname");                      // no localized name
    EXPECT_EQ(resolver.resolve("firefox"), "firefox");                    // no prefix matching
    EXPECT_EQ(resolver.resolve("bin"), "bin");                            // a directory is no name
}

TEST(AppNameResolver, FirstAnswerIsKeptForTheRun) {
    FakeDesktop desktop;
    auto resolver = desktop.resolver();
    EXPECT_EQ(resolver.resolve("Telegram"), "Telegram");
    desktop.apps = {{"/usr/bin/Telegram", "电报"}};
    EXPECT_EQ(resolver.resolve("Telegram"), "Telegram");
    EXPECT_EQ(resolver.resolve("Telegram"), "Telegram");
    EXPECT_EQ(desktop.calls, 1);

    desktop.apps = {{"/usr/bin/Signal", "信号"}};
    EXPECT_EQ(resolver.resolve("Signal"), "信号");
    desktop.apps.clear();
    EXPECT_EQ(resolver.resolve("Signal"), "信号");
    EXPECT_EQ(desktop.calls, 2);
}

TEST(AppNameResolver, ManyNewNamesShareOneProcessWalk) {
    FakeDesktop desktop;
    desktop.clockRuns = false;
    desktop.apps = {{"/usr/bin/Telegram", "电报"}};
    auto resolver = desktop.resolver();
    for (int i = 0; i < 50; ++i)
        resolver.resolve(QStringLiteral("process-%1").arg(i));
    EXPECT_EQ(resolver.resolve("Telegram"), "电报");
    EXPECT_EQ(desktop.calls, 1);
    desktop.clock.advance(2.5);
    desktop.apps = {{"/usr/bin/Signal", "信号"}};
    EXPECT_EQ(resolver.resolve("Signal"), "信号");
    EXPECT_EQ(desktop.calls, 2);
}
