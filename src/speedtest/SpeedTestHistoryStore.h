#pragma once

#include "common/Clock.h"
#include "speedtest/SpeedTestRecord.h"

#include <QList>
#include <QString>

#include <optional>

// The permanent history of finished speed tests, newest first, kept in one JSON file that is
// rewritten whole on every change. Records are never dropped except by clear().
class SpeedTestHistoryStore {
public:
    static inline const QString speedTestHistoryChanged =
        QStringLiteral("Vorn.SpeedTestHistoryChanged");
    static inline const QString kFileName = QStringLiteral("speedtest-history.json");
    static inline const QString kFallbackPath = QStringLiteral("/tmp/vorn_speedtest_history.json");

    static SpeedTestHistoryStore& shared();
    // The history file in the application-support directory, or the fallback without one.
    static QString defaultFilePath();

    // Loads filePath at once; an undecodable file is first copied aside (see load()).
    explicit SpeedTestHistoryStore(const QString& filePath, const Clock& clock = Clock::system());

    const QList<SpeedTestRecord>& records() const { return m_records; }
    QString filePath() const { return m_filePath; }
    // Full path of the copy of an unreadable history file set aside at creation.
    const std::optional<QString>& lastQuarantinePath() const { return m_lastQuarantinePath; }

    void add(const SpeedTestRecord& record);
    void clear();

    qint64 storageBytes() const;
    // "0 KB", "2 B", "2 KB", "1.0 MB".
    QString storageSizeText() const;
    static QString sizeText(qint64 bytes);
    // The whole history as CSV: BOM, header, one line per record, CRLF after every line.
    QString exportCSV() const;

    static std::optional<QList<SpeedTestRecord>> decode(const QByteArray& bytes);
    static QByteArray encode(const QList<SpeedTestRecord>& records);

private:
    void load();
    std::optional<QString> quarantine(const QByteArray& bytes) const;
    void saveAndNotify();

    QString m_filePath;
    const Clock& m_clock;
    QList<SpeedTestRecord> m_records;
    std::optional<QString> m_lastQuarantinePath;
};
