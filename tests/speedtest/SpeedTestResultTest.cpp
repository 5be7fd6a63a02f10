#include "speedtest/core/SpeedTestResult.h"

#include <gtest/gtest.h>

namespace {

SpeedTestResult withDown(double mbps) {
    SpeedTestResult result;
    result.downMbps = mbps;
    return result;
}

TEST(SpeedTestResultTest, GradeBoundariesBelongToTheHigherGrade) {
    const std::pair<double, const char*> cases[] = {
        {-3, "--"},      {0, "--"},      {0.05, "偏慢"}, {19.99, "偏慢"},
        {20, "够用"},    {49.9, "够用"}, {50, "良好"},   {100, "很好"},
        {199.9, "很好"}, {200, "优秀"},  {500, "极速"},  {5000, "极速"},
    };
    for (const auto& [mbps, grade] : cases)
        EXPECT_EQ(withDown(mbps).grade(), QString::fromUtf8(grade)) << mbps;
}

TEST(SpeedTestResultTest, CapabilityBoundaries) {
    const std::pair<double, const char*> cases[] = {
        {-1, "尚未测速"},         {0, "尚未测速"},          {0.05, "仅够网页与消息"},
        {9.99, "仅够网页与消息"}, {10, "可流畅 720P 视频"}, {25, "可流畅 1080P 视频"},
        {50, "可流畅 4K 视频"},   {99.9, "可流畅 4K 视频"}, {100, "可流畅 4K / 多设备并发"},
    };
    for (const auto& [mbps, capability] : cases)
        EXPECT_EQ(withDown(mbps).capability(), QString::fromUtf8(capability)) << mbps;
}

TEST(SpeedTestResultTest, SummaryLine) {
    EXPECT_EQ(SpeedTestResult().summaryLine(), "↓ 0.0 Mbps  ↑ 0.0 Mbps  ⏱ 0 ms（±0.0）   / ");
    SpeedTestResult result;
    result.downMbps = 93.46;
    result.upMbps = 41.2;
    result.latencyMs = 12.4;
    result.jitterMs = 1.25;
    result.downNode = "华为云镜像";
    result.upNode = "中科大 USTC";
    EXPECT_EQ(result.summaryLine(),
              "↓ 93.5 Mbps  ↑ 41.2 Mbps  ⏱ 12 ms（±1.2）  华为云镜像 / 中科大 USTC");
    result.downNode = "100%s";
    EXPECT_TRUE(result.summaryLine().endsWith("100%s / 中科大 USTC"));
}

} // namespace
