#include "rates/RateFormat.h"
#include "common/CFormat.h"

#include <clocale>
#include <cmath>
#include <limits>

#include <gtest/gtest.h>

namespace {

struct SpeedCase {
    double value;
    const char* text;
};

TEST(RateFormat, SpeedPicksUnitFromUnroundedValue) {
    const SpeedCase cases[] = {
        {0, "0 B/s"},
        {1023.4, "1023 B/s"},
        {1023.6, "1024 B/s"},
        {1024, "1.0 KB/s"},
        {102400, "100.0 KB/s"},
        {1048575, "1024.0 KB/s"},
        {1048576, "1.0 MB/s"},
        {1.2 * 1048576, "1.2 MB/s"},
        {1073741823, "1024.0 MB/s"},
        {1073741824, "1.00 GB/s"},
        {5.0 * 1099511627776.0, "5120.00 GB/s"},
        {-5, "0 B/s"},
        {std::nan(""), "0 B/s"},
        {-std::numeric_limits<double>::infinity(), "0 B/s"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(fmtSpeed(c.value), QString::fromUtf8(c.text)) << c.value;
}

TEST(RateFormat, SpeedRoundsLikePrintf) {
    // 1.25 KB/s and 1.35 KB/s are exact binary halves; printf rounds them to even.
    EXPECT_EQ(fmtSpeed(1.25 * 1024), QStringLiteral("1.2 KB/s"));
    EXPECT_EQ(fmtSpeed(1.75 * 1024), QStringLiteral("1.8 KB/s"));
    EXPECT_EQ(fmtSpeed(0.5), QStringLiteral("0 B/s"));
    EXPECT_EQ(fmtSpeed(1.5), QStringLiteral("2 B/s"));
}

TEST(RateFormat, BytesUnits) {
    const struct {
        quint64 value;
        const char* text;
    } cases[] = {
        {0, "0 B"},
        {1023, "1023 B"},
        {1024, "1.0 KB"},
        {1536, "1.5 KB"},
        {1048575, "1024.0 KB"},
        {1048576, "1.0 MB"},
        {1073741824, "1.00 GB"},
        {5ull * 1099511627776ull, "5120.00 GB"},
        {std::numeric_limits<quint64>::max(), "17179869184.00 GB"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(fmtBytes(c.value), QString::fromUtf8(c.text)) << c.value;
}

TEST(CFormat, UsesFullStopAndHandlesLongOutput) {
    if (qEnvironmentVariable("LC_ALL").startsWith(QStringLiteral("de_DE"))) {
        // Prove this run really is under a comma-decimal locale (Qt applied LC_ALL).
        ASSERT_STREQ(std::localeconv()->decimal_point, ",");
    }
    EXPECT_EQ(cformat("%.1f|%.2f|%.0f", 2.5, 1e6 / 3, 1234.5),
              QStringLiteral("2.5|333333.33|1234"));
    const QString longText = cformat("%0300.1f", 1.25);
    EXPECT_EQ(longText.size(), 300);
    EXPECT_TRUE(longText.endsWith(QStringLiteral("1.2")));
    EXPECT_EQ(cformat("%s", "岚"), QStringLiteral("岚"));
}

} // namespace
