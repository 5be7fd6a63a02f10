#include "speedtest/core/SpeedTestEngine.h"

#include <gtest/gtest.h>

namespace {

struct TraceCase {
    const char* name;
    QString body;
    QString summary;
    QString ip;

    friend void PrintTo(const TraceCase& c, std::ostream* out) { *out << c.name; }
};

class TraceValidationTest : public testing::TestWithParam<TraceCase> {};

TEST_P(TraceValidationTest, KeepsOnlyValuesOfTheExpectedShape) {
    const TraceCase& c = GetParam();
    const auto [summary, ip] = SpeedTestEngine::parseTrace(c.body);
    EXPECT_EQ(summary, c.summary);
    EXPECT_EQ(ip, c.ip);
}

QString withNul(const char* before, const char* after) {
    return QString::fromLatin1(before) + QChar(0) + QString::fromLatin1(after);
}

INSTANTIATE_TEST_SUITE_P(
    Table, TraceValidationTest,
    testing::Values(
        TraceCase{"AllValid", "fl=1\nip=203.0.113.7\ncolo=HKG\nloc=CN\n",
                  "出口 CN · CF HKG · 203.0.113.7", "203.0.113.7"},
        TraceCase{"Ipv6", "ip=2001:db8::7\n", "2001:db8::7", "2001:db8::7"},
        TraceCase{"MappedIpv4", "ip=::ffff:198.51.100.1\n", "::ffff:198.51.100.1",
                  "::ffff:198.51.100.1"},
        TraceCase{"TerminalEscapesInIp", "ip=\x1b[2J\x1b]0;owned\x07\ncolo=HKG\n", "CF HKG", ""},
        TraceCase{"NulHidesEscapesBehindAnAddress", withNul("ip=1.2.3.4", "\x1b[2J"), "", ""},
        TraceCase{"SpreadsheetFormulaAsIp", "ip==HYPERLINK(\"x\";\"y\")\nloc=CN\n", "出口 CN", ""},
        TraceCase{"IpWithTrailingSpace", "ip=1.2.3.4 \n", "", ""},
        TraceCase{"IpOutOfRange", "ip=256.1.1.1\n", "", ""},
        TraceCase{"IpWithZone", "ip=fe80::1%eth0\n", "", ""},
        TraceCase{"InvalidLaterIpKeepsTheEarlierOne", "ip=1.2.3.4\nip=<b>\n", "1.2.3.4", "1.2.3.4"},
        TraceCase{"LowerCaseLocation", "loc=cn\n", "出口 cn", ""},
        TraceCase{"LocationOfThreeLetters", "loc=CHN\n", "", ""},
        TraceCase{"LocationOfOneLetter", "loc=C\n", "", ""},
        TraceCase{"LocationWithDigit", "loc=C1\n", "", ""},
        TraceCase{"FullWidthLocation", "loc=ＣＮ\n", "", ""},
        TraceCase{"ColoOfEightLettersAndDigits", "colo=A1B2C3D4\n", "CF A1B2C3D4", ""},
        TraceCase{"ColoOfNine", "colo=A1B2C3D4E\n", "", ""},
        TraceCase{"ColoWithHyphen", "colo=HK-G\n", "", ""},
        TraceCase{"ColoWithColourEscape", "colo=\x1b[31mHKG\n", "", ""},
        TraceCase{"ColoWithSeparator", "colo=a=b\n", "", ""},
        TraceCase{"CarriageReturnLineEnds", "loc=CN\r\ncolo=HKG\r\nip=203.0.113.7\r\n",
                  "出口 CN · CF HKG · 203.0.113.7", "203.0.113.7"}),
    [](const testing::TestParamInfo<TraceCase>& info) { return info.param.name; });

} // namespace
