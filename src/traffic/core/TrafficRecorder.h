#pragma once

#include "common/Clock.h"
#include "platform/ProcessTraffic.h"
#include "traffic/core/DailyTraffic.h"
#include "traffic/core/RangeSummary.h"
#include "traffic/core/TrafficFormat.h"

#include <QDate>
#include <QObject>
#include <QString>
#include <QTimer>

#include <memory>
#include <optional>

class AppSampleQueue;

// The traffic history: per day the machine's totals and the per-application bytes, kept in
// memory and in the traffic file. Main thread only.
class TrafficRecorder : public QObject {
    Q_OBJECT
public:
    // Loads the traffic file of supportDirectory; without a directory the store starts empty
    // and saves to the fallback path. provider may be null (no per-application sampling).
    TrafficRecorder(const Clock& clock, std::optional<QString> supportDirectory,
                    std::unique_ptr<ProcessTraffic> provider);
    ~TrafficRecorder() override;

    // The program's store: the real clock, the application-support directory and the
    // platform's per-process provider.
    static TrafficRecorder& shared();

    static inline const QString kFileName = QStringLiteral("traffic.json");
    static inline const QString kFallbackPath = QStringLiteral("/tmp/vorn_traffic.json");
    static inline const QString kLastCleanupDay = QStringLiteral("lastCleanupDay");

    const QString& dataURL() const { return m_dataURL; }
    const TrafficData& data() const { return m_data; }
    // The sample growth is measured against; none before the first good one.
    const std::optional<AppSample>& lastAppSnapshot() const { return m_lastAppSnapshot; }
    // What the per-application samples cover now (TCP only without a provider: none at all).
    AppTrafficSource appTrafficSource() const;

    // One tick's bytes added to today's record (created when missing); sums saturate.
    void recordTotal(quint64 dUp, quint64 dDown);
    // A copy of today's record; absent before today's first bytes.
    std::optional<DailyTraffic> getToday() const;

    // Writes the whole history atomically. A file that could not be read at start is first
    // set aside as "traffic.corrupt-<time>.json"; while that fails nothing is written.
    // Returns whether the file now holds the history.
    bool saveData();
    // Stops the sample and save timers and the sampler's thread, then saves.
    void stopAndSave();
    // The same without saving; for processes that only read the history.
    void stopTimers();

    // Cleanup, a first (baseline) sample, the 15 s sample and 60 s save timers, the hourly
    // retention check.
    void startTimers();
    // Asks the provider for a sample in the background; applied on this thread when it comes.
    void sampleAppTraffic();
    // Books each application's growth since the previous sample to today. The first sample
    // is only the baseline, an empty one too (an idle machine: what comes later is new).
    void processAppSample(const AppSample& sample);
    // A sample could not be taken: the baseline is dropped, the next sample only sets it.
    void appSampleFailed();

    // Removes days before the retention window ("retentionDays", today included; below 1
    // keeps all) and saves when any went. Returns how many days were removed.
    int cleanup();
    // (Re)starts the hourly retention check.
    void scheduleCleanup();
    // The hourly check: cleans once in the 3 o'clock hour of each day.
    void cleanupCheck();

    // A period's summary: the day keys of from..to (both included), their recorded days
    // summed, and the applications to list, largest first (range summary functions).
    using RangeSummary = ::RangeSummary;
    static QStringList keys(const QDate& from, const QDate& to);
    RangeSummary aggregate(const QStringList& keys) const;
    RangeSummary queryRange(const QDate& from, const QDate& to) const;
    static std::vector<NamedAppTraffic> sortedApps(const std::map<QString, AppTraffic>& apps);

    // Day keys: "yyyy-MM-dd" in the local calendar, computed afresh on every call.
    static QString todayString(const Clock& clock = Clock::system());

Q_SIGNALS:
    // After each save of the 60 s timer, whether or not it succeeded: the once-a-minute moment
    // for work that need not follow every tick.
    void minuteSaved();

private:
    QString todayKey() const;
    DailyTraffic& today();
    void load();
    bool setAsideUnreadableFile();

    const Clock& m_clock;
    QString m_dataURL;
    TrafficData m_data;
    std::optional<AppSample> m_lastAppSnapshot;
    QTimer m_saveTimer;
    QTimer m_appSampleTimer;
    QTimer m_cleanupTimer;
    bool m_unreadableFilePending = false;
    std::unique_ptr<ProcessTraffic> m_provider;
    std::unique_ptr<AppSampleQueue> m_queue;
};
