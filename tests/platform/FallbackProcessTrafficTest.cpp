#include "platform/FallbackProcessTraffic.h"

#include <gtest/gtest.h>

#include <deque>

namespace {

// Answers the scripted samples in turn, counting watches.
class ScriptedProvider final : public ProcessTraffic {
public:
    ScriptedProvider(AppTrafficSource source, std::deque<std::optional<AppSample>> samples,
                     int* watches = nullptr)
        : m_source(source), m_samples(std::move(samples)), m_watches(watches) {}

    std::optional<AppSample> sample() override {
        EXPECT_FALSE(m_samples.empty()) << "asked more often than scripted";
        if (m_samples.empty())
            return std::nullopt;
        auto next = m_samples.front();
        m_samples.pop_front();
        return next;
    }
    int watchIntervalMs() const override { return 1000; }
    void watch() override {
        if (m_watches)
            ++*m_watches;
    }
    AppTrafficSource source() const override { return m_source; }

private:
    AppTrafficSource m_source;
    std::deque<std::optional<AppSample>> m_samples;
    int* m_watches;
};

const AppSample kHelperSample{{QStringLiteral("quic"), {900, 90}}};
const AppSample kTableSample{{QStringLiteral("tcp"), {100, 10}}};

std::unique_ptr<ProcessTraffic> scripted(AppTrafficSource source,
                                         std::deque<std::optional<AppSample>> samples,
                                         int* watches = nullptr) {
    return std::make_unique<ScriptedProvider>(source, std::move(samples), watches);
}

TEST(FallbackProcessTraffic, UsesThePreferredProviderWhileItAnswers) {
    int preferredWatches = 0;
    int fallbackWatches = 0;
    FallbackProcessTraffic traffic(
        scripted(AppTrafficSource::AllProtocols, {kHelperSample, kHelperSample}, &preferredWatches),
        scripted(AppTrafficSource::TcpOnly, {}, &fallbackWatches));
    EXPECT_EQ(traffic.source(), AppTrafficSource::AllProtocols);
    EXPECT_EQ(traffic.sample(), kHelperSample);
    traffic.watch();
    EXPECT_EQ(traffic.sample(), kHelperSample);
    EXPECT_EQ(preferredWatches, 1);
    EXPECT_EQ(fallbackWatches, 0);
    EXPECT_EQ(traffic.watchIntervalMs(), 1000);
}

TEST(FallbackProcessTraffic, APreferredProviderThatNeverAnsweredIsReplacedAtOnce) {
    FallbackProcessTraffic traffic(
        scripted(AppTrafficSource::AllProtocols, {std::nullopt}),
        scripted(AppTrafficSource::TcpOnly, {kTableSample, kTableSample}));
    EXPECT_EQ(traffic.sample(), kTableSample);
    EXPECT_EQ(traffic.source(), AppTrafficSource::TcpOnly);
    EXPECT_EQ(traffic.sample(), kTableSample) << "the preferred provider is not asked again";
}

TEST(FallbackProcessTraffic, TheSwitchAfterAnswersIsANewBaseline) {
    int fallbackWatches = 0;
    FallbackProcessTraffic traffic(
        scripted(AppTrafficSource::AllProtocols, {kHelperSample, std::nullopt}),
        scripted(AppTrafficSource::TcpOnly, {kTableSample}, &fallbackWatches));
    EXPECT_EQ(traffic.sample(), kHelperSample);
    EXPECT_EQ(traffic.sample(), std::nullopt);
    EXPECT_EQ(traffic.source(), AppTrafficSource::TcpOnly);
    traffic.watch();
    EXPECT_EQ(fallbackWatches, 1);
    EXPECT_EQ(traffic.sample(), kTableSample);
}

} // namespace
