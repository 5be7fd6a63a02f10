#include "platform/linux/FlatpakAppId.h"

#include <gtest/gtest.h>

TEST(FlatpakAppId, FromTheSandboxInfo) {
    EXPECT_EQ(FlatpakAppId::fromInfo("[Application]\nname=com.spotify.Client\n"
                                     "runtime=runtime/org.freedesktop.Platform/x86_64/23.08\n\n"
                                     "[Instance]\ninstance-id=2417\n"),
              "com.spotify.Client");
    EXPECT_EQ(FlatpakAppId::fromInfo("[Runtime]\nname=org.freedesktop.Platform\n"), "");
    EXPECT_EQ(FlatpakAppId::fromInfo("[Instance]\nname=x.y\n[Application]\n name = org.x.Y \n"),
              "org.x.Y");
    for (const char* hostile :
         {"[Application]\nname=../../etc/passwd\n", "[Application]\nname=a b\n",
          "[Application]\nname=\n", "[Application]\nname=.hidden\n", "", "name=org.x.Y\n"})
        EXPECT_EQ(FlatpakAppId::fromInfo(hostile), "") << hostile;
}

TEST(FlatpakAppId, FromTheCgroupScope) {
    EXPECT_EQ(FlatpakAppId::fromCgroup("0::/user.slice/user-1000.slice/user@1000.service/"
                                       "app.slice/app-flatpak-com.spotify.Client-2417.scope\n"),
              "com.spotify.Client");
    EXPECT_EQ(FlatpakAppId::fromCgroup("12:pids:/user.slice\n"
                                       "0::/app.slice/app-flatpak-org.gnome.Web-app-8.scope\n"),
              "org.gnome.Web-app");
    for (const char* other :
         {"0::/user.slice/user-1000.slice/session-2.scope\n",
          "0::/app.slice/app-gnome-firefox\\x2desr-1234.scope\n",
          "0::/app.slice/app-flatpak-org.x.Y.scope\n", "0::/app.slice/app-flatpak--12.scope\n",
          "0::/app.slice/app-flatpak-a$b-12.scope\n", ""})
        EXPECT_EQ(FlatpakAppId::fromCgroup(other), "") << other;
}
