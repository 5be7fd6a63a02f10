#include "platform/NettopParser.h"

#include <QFile>

#include <gtest/gtest.h>

#include <limits>

namespace {

TEST(NettopParser, FixtureOutput) {
    QFile file(QStringLiteral(VORN_FIXTURES "/traffic/nettop.csv"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const AppSample sample = parseNettop(QString::fromUtf8(file.readAll()));
    const AppSample expected = {
        {QStringLiteral("launchd"), {0, 0}},
        {QStringLiteral("com.apple.WebKit.Networking"), {123456, 7890}},   // only the last dot
        {QStringLiteral("Google Chrome H"), {150, 15}},                    // two processes
        {QStringLiteral("mDNSResponder"), {5, 6}},                         // "+5" is a count
        {QStringLiteral("sharingd"), {0, 0}},                              // " 5" and "6 " are not
        {QStringLiteral("curl"), {0, 0}},                                  // signs and fractions
        {QStringLiteral("bad"), {0, std::numeric_limits<quint64>::max()}}, // 2^64 overflows
        {QStringLiteral("trailing"), {1, 2}},
    };
    EXPECT_EQ(sample, expected);
}

TEST(NettopParser, LinesWithoutAProcessFieldAddNothing) {
    const AppSample nameOnly{{QStringLiteral("name"), {0, 0}}};
    const std::pair<const char*, AppSample> cases[] = {
        {"", {}},
        {"\n\n", {}},
        {"a,b,c,d,e", {}},              // five fields
        {",,,,1,2", {}},                // no process field
        {",nodot,,,1,2", {}},           // no full stop before the id
        {",.5,,,1,2", {}},              // an empty name
        {"x,name.1,,,++1,+", nameOnly}, // a named process whose counts do not read
        {"x,name.1,,,+,-1", nameOnly},
    };
    for (const auto& [text, expected] : cases)
        EXPECT_EQ(parseNettop(QString::fromUtf8(text)), expected) << text;
    EXPECT_EQ(parseNettop(u"x,a.b.c.42,,,7,8,extra,fields"),
              (AppSample{{QStringLiteral("a.b.c"), {7, 8}}}));
}

TEST(NettopParser, MergedCountsSaturate) {
    const AppSample sample = parseNettop(u"t,p.1,,,18446744073709551615,1\nt,p.2,,,1,1\n");
    EXPECT_EQ(sample.at(QStringLiteral("p")),
              (std::pair<quint64, quint64>(std::numeric_limits<quint64>::max(), 2)));
}

} // namespace
