#include "traffic/core/TrafficRecorder.h"

#include "common/Brand.h"
#include "common/Log.h"
#include "common/Saturating.h"
#include "settings/PreferencesCatalogue.h"
#include "settings/UserDefaults.h"
#include "traffic/core/AppSampleQueue.h"
#include "traffic/core/DayKey.h"
#include "traffic/core/TrafficFile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace {

constexpr int kSampleIntervalMs = 15'000;
constexpr int kSaveIntervalMs = 60'000;
constexpr int kCleanupIntervalMs = 3'600'000;
constexpr int kCleanupHour = 3;
// Beyond this a retention setting keeps everything (and QDate arithmetic stays valid).
constexpr qint64 kMaxRetentionDays = 1'000'000;

// Saving at quit is the program's call (it may only have read the history); the sampler's
// thread must end before the application object goes, whoever used the store.
void stopSharedSampler() {
    TrafficRecorder::shared().stopTimers();
}

} // namespace

TrafficRecorder::TrafficRecorder(const Clock& clock, std::optional<QString> supportDirectory,
                                 std::unique_ptr<ProcessTraffic> provider)
    : m_clock(clock), m_provider(std::move(provider)) {
    if (!supportDirectory) {
        m_dataURL = kFallbackPath;
    } else {
        m_dataURL = QDir(*supportDirectory).filePath(kFileName);
        load();
    }
    connect(&m_appSampleTimer, &QTimer::timeout, this, &TrafficRecorder::sampleAppTraffic);
    connect(&m_saveTimer, &QTimer::timeout, this, [this] {
        saveData();
        Q_EMIT minuteSaved();
    });
    connect(&m_cleanupTimer, &QTimer::timeout, this, &TrafficRecorder::cleanupCheck);
}

TrafficRecorder::~TrafficRecorder() = default;

AppTrafficSource TrafficRecorder::appTrafficSource() const {
    return m_provider ? m_provider->source() : AppTrafficSource::TcpOnly;
}

TrafficRecorder& TrafficRecorder::shared() {
    // Never destroyed: the timers and the sampler thread stop when the application object goes.
    static TrafficRecorder* const instance = [] {
        auto* recorder = new TrafficRecorder(Clock::system(), Brand::supportDirectory(),
                                             ProcessTraffic::create(logMessage));
        if (QCoreApplication::instance())
            qAddPostRoutine(&stopSharedSampler);
        return recorder;
    }();
    return *instance;
}

void TrafficRecorder::load() {
    QFile file(m_dataURL);
    if (!file.exists())
        return;
    if (!file.open(QIODevice::ReadOnly)) {
        m_unreadableFilePending = true;
        return;
    }
    const QByteArray text = file.readAll();
    std::optional<TrafficData> data = TrafficFile::parse(text);
    if (!data) {
        m_unreadableFilePending = true;
        return;
    }
    m_data = std::move(*data);
}

QString TrafficRecorder::todayKey() const {
    return dayKey(m_clock.now().date());
}

DailyTraffic& TrafficRecorder::today() {
    return m_data[todayKey()];
}

void TrafficRecorder::recordTotal(quint64 dUp, quint64 dDown) {
    DailyTraffic& day = today();
    addSaturating(day.totalIn, dDown);
    addSaturating(day.totalOut, dUp);
}

std::optional<DailyTraffic> TrafficRecorder::getToday() const {
    const auto found = m_data.find(todayKey());
    if (found == m_data.end())
        return std::nullopt;
    return found->second;
}

bool TrafficRecorder::setAsideUnreadableFile() {
    if (!QFileInfo::exists(m_dataURL))
        return true;
    const QFileInfo info(m_dataURL);
    const QString stem = QStringLiteral("traffic.corrupt-") +
                         m_clock.now().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    for (int attempt = 1; attempt < 1000; ++attempt) {
        const QString name = attempt == 1 ? stem + QStringLiteral(".json")
                                          : QStringLiteral("%1-%2.json").arg(stem).arg(attempt);
        const QString target = info.dir().filePath(name);
        if (QFileInfo::exists(target) || QFileInfo(target).isSymLink())
            continue;
        return QFile::rename(m_dataURL, target);
    }
    return false;
}

bool TrafficRecorder::saveData() {
    if (m_unreadableFilePending) {
        if (!setAsideUnreadableFile())
            return false;
        m_unreadableFilePending = false;
    }
    QDir().mkpath(QFileInfo(m_dataURL).absolutePath());
    QSaveFile file(m_dataURL);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    const QByteArray text = TrafficFile::serialize(m_data);
    if (file.write(text) != text.size()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

void TrafficRecorder::stopAndSave() {
    stopTimers();
    saveData();
}

void TrafficRecorder::stopTimers() {
    m_appSampleTimer.stop();
    m_saveTimer.stop();
    m_queue.reset();
}

void TrafficRecorder::startTimers() {
    cleanup();
    if (m_provider && !m_queue)
        m_queue = std::make_unique<AppSampleQueue>(*m_provider);
    sampleAppTraffic();
    m_appSampleTimer.start(kSampleIntervalMs);
    m_saveTimer.start(kSaveIntervalMs);
    scheduleCleanup();
}

void TrafficRecorder::sampleAppTraffic() {
    if (!m_queue)
        return;
    m_queue->submit(this, [this](const std::optional<AppSample>& sample) {
        if (sample)
            processAppSample(*sample);
        else
            appSampleFailed();
    });
}

void TrafficRecorder::processAppSample(const AppSample& sample) {
    DailyTraffic& day = today();
    if (m_lastAppSnapshot) {
        for (const auto& [name, current] : sample) {
            const auto previous = m_lastAppSnapshot->find(name);
            const auto [lastIn, lastOut] = previous == m_lastAppSnapshot->end()
                                               ? std::pair<quint64, quint64>()
                                               : previous->second;
            const quint64 dIn = current.first > lastIn ? current.first - lastIn : 0;
            const quint64 dOut = current.second > lastOut ? current.second - lastOut : 0;
            if (dIn == 0 && dOut == 0)
                continue;
            AppTraffic& app = day.apps[name];
            addSaturating(app.bytesIn, dIn);
            addSaturating(app.bytesOut, dOut);
        }
    }
    m_lastAppSnapshot = sample;
}

void TrafficRecorder::appSampleFailed() {
    today();
    m_lastAppSnapshot.reset();
}

int TrafficRecorder::cleanup() {
    const qint64 days = UserDefaults::integerValue(PreferencesCatalogue::kRetentionDays);
    if (days < 1 || days > kMaxRetentionDays)
        return 0;
    const QDate cutoff = m_clock.now().date().addDays(1 - days);
    if (!cutoff.isValid())
        return 0;
    int removed = 0;
    for (auto day = m_data.begin(); day != m_data.end();) {
        const QDate date = parseDayKey(day->first);
        if (date.isValid() && date < cutoff) {
            day = m_data.erase(day);
            ++removed;
        } else {
            ++day;
        }
    }
    if (removed > 0)
        saveData();
    return removed;
}

void TrafficRecorder::scheduleCleanup() {
    m_cleanupTimer.start(kCleanupIntervalMs);
}

void TrafficRecorder::cleanupCheck() {
    const QDateTime now = m_clock.now();
    const QString today = dayKey(now.date());
    if (now.time().hour() != kCleanupHour ||
        UserDefaults::stringValue(kLastCleanupDay).value_or(QString()) == today)
        return;
    cleanup();
    UserDefaults::setString(kLastCleanupDay, today);
}

QStringList TrafficRecorder::keys(const QDate& from, const QDate& to) {
    return dayKeys(from, to);
}

TrafficRecorder::RangeSummary TrafficRecorder::aggregate(const QStringList& keys) const {
    return ::aggregate(m_data, keys);
}

TrafficRecorder::RangeSummary TrafficRecorder::queryRange(const QDate& from,
                                                          const QDate& to) const {
    return aggregate(keys(from, to));
}

std::vector<NamedAppTraffic>
TrafficRecorder::sortedApps(const std::map<QString, AppTraffic>& apps) {
    return ::sortedApps(apps);
}

QString TrafficRecorder::todayString(const Clock& clock) {
    return dayKey(clock.now().date());
}
