#include "shell/LaunchAtLogin.h"

#include <gtest/gtest.h>

namespace {

class RecordingLoginItem final : public LoginItem {
public:
    Status current = Status::notRegistered;
    QString failure;
    int registerCalls = 0;
    int unregisterCalls = 0;

    Status status() const override { return current; }
    QString registerItem() override {
        ++registerCalls;
        if (failure.isEmpty())
            current = Status::enabled;
        return failure;
    }
    QString unregisterItem() override {
        ++unregisterCalls;
        if (failure.isEmpty())
            current = Status::notRegistered;
        return failure;
    }
};

TEST(LaunchAtLogin, CallsTheServiceOnlyWhenTheStatusDiffers) {
    RecordingLoginItem item;
    item.current = LoginItem::Status::enabled;
    testing::internal::CaptureStderr();
    setLaunchAtLogin(true, item);
    EXPECT_EQ(item.registerCalls, 0);
    EXPECT_EQ(item.unregisterCalls, 0);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");

    item.current = LoginItem::Status::notRegistered;
    setLaunchAtLogin(false, item);
    EXPECT_EQ(item.unregisterCalls, 0);

    setLaunchAtLogin(true, item);
    EXPECT_EQ(item.registerCalls, 1);
    setLaunchAtLogin(false, item);
    EXPECT_EQ(item.unregisterCalls, 1);
}

TEST(LaunchAtLogin, RequiresApprovalAndNotFoundCountAsNotEnabled) {
    for (auto status : {LoginItem::Status::requiresApproval, LoginItem::Status::notFound}) {
        RecordingLoginItem item;
        item.current = status;
        setLaunchAtLogin(true, item);
        EXPECT_EQ(item.registerCalls, 1);
        item.current = status;
        setLaunchAtLogin(false, item);
        EXPECT_EQ(item.unregisterCalls, 0);
    }
}

TEST(LaunchAtLogin, FailureIsLoggedOncePerAttempt) {
    RecordingLoginItem item;
    item.failure = QStringLiteral("需要在系统设置中批准");
    testing::internal::CaptureStderr();
    setLaunchAtLogin(true, item);
    setLaunchAtLogin(true, item);
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "[Vorn] 开机自启设置失败: 需要在系统设置中批准\n"
              "[Vorn] 开机自启设置失败: 需要在系统设置中批准\n");
    EXPECT_EQ(item.registerCalls, 2);
}

} // namespace
