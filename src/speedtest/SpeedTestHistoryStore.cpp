#include "speedtest/SpeedTestHistoryStore.h"

#include "app/Brand.h"
#include "common/CFormat.h"
#include "common/NotificationCenter.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QSaveFile>
#include <QTemporaryFile>

namespace {

// Two start-ups within one second must not share a backup name, so later ones get a suffix.
constexpr int kMaxBackupSuffix = 1000;

QString backupName(const QString& stamp, int attempt) {
    const QString suffix = attempt == 0 ? QString() : QStringLiteral("-%1").arg(attempt + 1);
    return QStringLiteral("speedtest-history.corrupt-") + stamp + suffix + QStringLiteral(".json");
}

} // namespace

SpeedTestHistoryStore& SpeedTestHistoryStore::shared() {
    static SpeedTestHistoryStore store(defaultFilePath());
    return store;
}

QString SpeedTestHistoryStore::defaultFilePath() {
    const std::optional<QString> directory = Brand::supportDirectory();
    if (!directory)
        return kFallbackPath;
    return QDir(*directory).filePath(kFileName);
}

SpeedTestHistoryStore::SpeedTestHistoryStore(const QString& filePath, const Clock& clock)
    : m_filePath(filePath), m_clock(clock) {
    load();
}

std::optional<QList<SpeedTestRecord>> SpeedTestHistoryStore::decode(const QByteArray& bytes) {
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(bytes, &error);
    if (error.error != QJsonParseError::NoError || !document.isArray())
        return std::nullopt;
    const QJsonArray array = document.array();
    QList<SpeedTestRecord> records;
    records.reserve(array.size());
    for (const QJsonValue& element : array) {
        if (!element.isObject())
            return std::nullopt;
        records.append(SpeedTestRecord::fromJson(element.toObject()));
    }
    return records;
}

QByteArray SpeedTestHistoryStore::encode(const QList<SpeedTestRecord>& records) {
    QByteArray bytes;
    bytes.reserve(records.size() * 320 + 2);
    bytes.append('[');
    for (qsizetype i = 0; i < records.size(); ++i) {
        if (i > 0)
            bytes.append(',');
        records[i].appendJson(bytes);
    }
    bytes.append(']');
    return bytes;
}

void SpeedTestHistoryStore::load() {
    QFile file(m_filePath);
    if (!file.open(QIODevice::ReadOnly))
        return;
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return;
    if (std::optional<QList<SpeedTestRecord>> records = decode(bytes)) {
        m_records = std::move(*records);
        return;
    }
    m_lastQuarantinePath = quarantine(bytes);
}

std::optional<QString> SpeedTestHistoryStore::quarantine(const QByteArray& bytes) const {
    const QDir directory = QFileInfo(m_filePath).absoluteDir();
    QTemporaryFile temporary(directory.filePath(QStringLiteral(".speedtest-history.XXXXXX")));
    if (!temporary.open() || temporary.write(bytes) != bytes.size() || !temporary.flush())
        return std::nullopt;
    const QString stamp = m_clock.now().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    for (int attempt = 0; attempt < kMaxBackupSuffix; ++attempt) {
        const QString target = directory.filePath(backupName(stamp, attempt));
        if (QFileInfo::exists(target) || QFileInfo(target).isSymLink())
            continue;
        // Renaming never replaces an existing file, so a copy made at the same moment survives.
        if (temporary.rename(target)) {
            temporary.setAutoRemove(false);
            return target;
        }
        if (!QFileInfo::exists(target))
            return std::nullopt;
    }
    return std::nullopt;
}

void SpeedTestHistoryStore::add(const SpeedTestRecord& record) {
    m_records.prepend(record);
    saveAndNotify();
}

void SpeedTestHistoryStore::clear() {
    m_records.clear();
    saveAndNotify();
}

void SpeedTestHistoryStore::saveAndNotify() {
    // A failed write leaves the previous file; the list in memory goes on regardless.
    QSaveFile file(m_filePath);
    if (file.open(QIODevice::WriteOnly)) {
        file.write(encode(m_records));
        file.commit();
    }
    NotificationCenter::instance().post(speedTestHistoryChanged);
}

qint64 SpeedTestHistoryStore::storageBytes() const {
    const QFileInfo info(m_filePath);
    return info.exists() ? info.size() : 0;
}

QString SpeedTestHistoryStore::storageSizeText() const {
    return sizeText(storageBytes());
}

QString SpeedTestHistoryStore::sizeText(qint64 bytes) {
    if (bytes < 1)
        return QStringLiteral("0 KB");
    if (bytes < 1024)
        return QStringLiteral("%1 B").arg(bytes);
    if (bytes < 1048576)
        return cformat("%.0f KB", double(bytes) / 1024.0);
    return cformat("%.1f MB", double(bytes) / 1048576.0);
}

QString SpeedTestHistoryStore::exportCSV() const {
    const QString terminator = QStringLiteral("\r\n");
    QString text = QChar(0xFEFF) + SpeedTestRecord::csvHeader + terminator;
    for (const SpeedTestRecord& record : m_records)
        text += record.csvLine() + terminator;
    return text;
}
