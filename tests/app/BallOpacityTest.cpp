#include "ball/BallOpacity.h"

#include <QStringList>

#include <gtest/gtest.h>

#include <cmath>

namespace {

using namespace BallOpacity;

TEST(BallOpacity, PresetsInMenuOrder) {
    ASSERT_EQ(kPresets.size(), 5u);
    EXPECT_EQ(kPresets[0].title.toUtf8(), QByteArray("100%\xEF\xBC\x88\xE4\xB8\x8D\xE9\x80\x8F"
                                                     "\xE6\x98\x8E\xEF\xBC\x89"));
    EXPECT_EQ(kPresets[1].title, QStringLiteral("80%"));
    EXPECT_EQ(kPresets[2].title, QStringLiteral("60%"));
    EXPECT_EQ(kPresets[3].title, QStringLiteral("40%"));
    EXPECT_EQ(kPresets[4].title.toUtf8(),
              QByteArray("20%\xEF\xBC\x88\xE6\x9E\x81\xE6\xB7\xA1\xEF\xBC\x89"));
    const double values[] = {1.0, 0.8, 0.6, 0.4, 0.2};
    for (size_t i = 0; i < kPresets.size(); ++i)
        EXPECT_DOUBLE_EQ(kPresets[i].value, values[i]);
}

TEST(BallOpacity, ChosenValuesAreClampedAndNonNumbersIgnored) {
    EXPECT_DOUBLE_EQ(*chosen(0.05), 0.1);
    EXPECT_DOUBLE_EQ(*chosen(0), 0.1);
    EXPECT_DOUBLE_EQ(*chosen(-3), 0.1);
    EXPECT_DOUBLE_EQ(*chosen(1.5), 1.0);
    EXPECT_DOUBLE_EQ(*chosen(INFINITY), 1.0);
    EXPECT_DOUBLE_EQ(*chosen(0.55), 0.55);
    EXPECT_FALSE(chosen(NAN).has_value());
}

TEST(BallOpacity, SliderWorksInPercent) {
    EXPECT_DOUBLE_EQ(fromSliderPercent(kSliderMinimum), 0.1);
    EXPECT_DOUBLE_EQ(fromSliderPercent(kSliderMaximum), 1.0);
    EXPECT_DOUBLE_EQ(fromSliderPercent(45), 0.45);
    EXPECT_EQ(toSliderPercent(0.8), 80);
    EXPECT_EQ(toSliderPercent(0.456), 46);
    EXPECT_EQ(toSliderPercent(1.0), 100);
    EXPECT_EQ(toSliderPercent(0.01), 10);
    EXPECT_EQ(toSliderPercent(NAN), 100);
}

TEST(BallOpacity, OnlyThePresetWithinOneHundredthIsMarked) {
    auto marked = [](double current) {
        QStringList titles;
        for (const Preset& preset : kPresets)
            if (presetIsCurrent(current, preset.value))
                titles << preset.title;
        return titles;
    };
    EXPECT_EQ(marked(0.805), QStringList{QStringLiteral("80%")});
    EXPECT_TRUE(marked(0.82).isEmpty());
    EXPECT_EQ(marked(0.8), QStringList{QStringLiteral("80%")});
    EXPECT_EQ(marked(0.1), QStringList());
    EXPECT_EQ(marked(1.0).size(), 1);
}

} // namespace
