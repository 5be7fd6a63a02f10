#include "ball/MenuTitles.h"
#include "shell/StatusTitle.h"

#include <gtest/gtest.h>

namespace {

TEST(StatusTitle, FullTitleAndInitialText) {
    EXPECT_EQ(StatusTitle::kInitial.toStdU16String(), u"↓ \u2013 ↑ \u2013");
    EXPECT_EQ(StatusTitle::title(1.2 * 1048576, 35 * 1024),
              QStringLiteral("↓ 1.2 MB/s ↑ 35.0 KB/s"));
    EXPECT_EQ(StatusTitle::title(0, -4), QStringLiteral("↓ 0 B/s ↑ 0 B/s"));
}

TEST(StatusTitle, ShortRatesFitTheIcon) {
    const std::pair<double, const char*> cases[] = {
        {0, "0B"},
        {-1, "0B"},
        {512, "512B"},
        {1023.4, "1023B"},
        {1024, "1.0K"},
        {1536, "1.5K"},
        {10188, "9.9K"},
        {10189, "10K"},
        {35 * 1024, "35K"},
        {1048575, "1024K"},
        {1048576, "1.0M"},
        {1.25 * 1048576, "1.2M"},
        {700 * 1048576, "700M"},
        {2.0 * 1073741824, "2.0G"},
        {5e12, "4657G"},
    };
    for (const auto& [rate, text] : cases) {
        EXPECT_EQ(StatusTitle::shortRate(rate), QString::fromLatin1(text)) << rate;
        EXPECT_LE(StatusTitle::shortRate(rate).size(), 5) << rate;
    }
}

TEST(MenuTitles, SpacingIsExact) {
    const DailyTraffic day{1536, 1073741824, {}};
    EXPECT_EQ(MenuTitles::today(day), QStringLiteral("今日 ↓ 1.5 KB ↑ 1.00 GB"));
    EXPECT_EQ(MenuTitles::todayWide(day), QStringLiteral("今日  ↓ 1.5 KB  ↑ 1.00 GB"));
    EXPECT_EQ(MenuTitles::today(std::nullopt), QStringLiteral("今日 ↓ 0 B ↑ 0 B"));
    EXPECT_EQ(MenuTitles::todayWide(std::nullopt), QStringLiteral("今日  ↓ 0 B  ↑ 0 B"));
    EXPECT_EQ(MenuTitles::peaks(1024, 2 * 1048576),
              QStringLiteral("峰值  ↑ 1.0 KB/s    ↓ 2.0 MB/s"));
    EXPECT_EQ(MenuTitles::totals(10, 1073741824), QStringLiteral("累计  ↑ 10 B    ↓ 1.00 GB"));
}

} // namespace
