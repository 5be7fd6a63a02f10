#include "common/NotificationCenter.h"

#include <gtest/gtest.h>

namespace {

TEST(NotificationCenter, DeliversOnlyTheObservedNameWithItsObject) {
    QObject context;
    QList<QVariant> seen;
    NotificationCenter::instance().observe(QStringLiteral("NDLaunchAtLoginChanged"), &context,
                                           [&](const QVariant& object) { seen.append(object); });
    NotificationCenter::instance().post(QStringLiteral("NDDisplayModeChanged"));
    NotificationCenter::instance().post(QStringLiteral("NDLaunchAtLoginChanged"), true);
    NotificationCenter::instance().post(QStringLiteral("NDLaunchAtLoginChanged"));
    ASSERT_EQ(seen.size(), 2);
    EXPECT_EQ(seen[0], QVariant(true));
    EXPECT_FALSE(seen[1].isValid());
}

TEST(NotificationCenter, ObserverEndsWithItsContext) {
    int calls = 0;
    {
        QObject context;
        NotificationCenter::instance().observe(QStringLiteral("X"), &context,
                                               [&](const QVariant&) { ++calls; });
        NotificationCenter::instance().post(QStringLiteral("X"));
    }
    NotificationCenter::instance().post(QStringLiteral("X"));
    EXPECT_EQ(calls, 1);
}

} // namespace
