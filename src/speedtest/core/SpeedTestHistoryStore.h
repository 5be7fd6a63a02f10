#pragma once

#include "common/Clock.h"
#include "speedtest/core/SpeedTestHistoryFile.h"
#include "speedtest/core/SpeedTestRecord.h"

#include <QList>
#include <QString>

#include <memory>
#include <optional>

class FileChangeWatcher;

// The permanent history of finished speed tests, newest first, kept in one JSON file that
// other processes (`vorn speedtest`) write too. Every change is merged into what the file
// holds at that moment, so no process loses another's tests. Records are never dropped
// except by clear() or remove().
class SpeedTestHistoryStore {
public:
    static inline const QString speedTestHistoryChanged =
        QStringLiteral("Vorn.SpeedTestHistoryChanged");
    static inline const QString kFileName = QStringLiteral("speedtest-history.json");
    static inline const QString kFallbackPath = QStringLiteral("/tmp/vorn_speedtest_history.json");

    // readOnly never writes, not even the copy of an undecodable file, and refuses changes.
    enum class Access { readWrite, readOnly };

    static SpeedTestHistoryStore& shared();
    // The history file in the application-support directory, or the fallback without one.
    static QString defaultFilePath();

    // Loads filePath at once; with readWrite an undecodable file is first copied aside.
    explicit SpeedTestHistoryStore(const QString& filePath, const Clock& clock = Clock::system(),
                                   Access access = Access::readWrite);
    ~SpeedTestHistoryStore();

    const QList<SpeedTestRecord>& records() const { return m_records; }
    QString filePath() const { return m_file.path(); }
    // Full path of the copy of the undecodable history file: made by this store, or (for a
    // read-only store) one with the same bytes set aside earlier.
    const std::optional<QString>& lastQuarantinePath() const { return m_lastQuarantinePath; }
    // The file did not decode when last read.
    bool fileUndecodable() const { return m_fileUndecodable; }
    // Why the last change did not reach the file; empty when it did.
    QString lastSaveError() const { return m_lastSaveError; }

    // Each change takes effect in memory and is posted even when the file cannot be written;
    // it reaches the file with the next successful write. True when it reached the file now.
    bool add(const SpeedTestRecord& record);
    // Deletes exactly these tests; tests that another process added meanwhile stay.
    bool remove(const QList<SpeedTestRecord>& shown);
    bool clear();

    // Re-reads the file; posts the change notification when what it shows changed.
    void reload();
    // Reloads by itself whenever the file changes, on the main thread.
    void watchForChanges();

    qint64 storageBytes() const;
    // "0 KB", "2 B", "2 KB", "1.0 MB".
    QString storageSizeText() const;
    static QString sizeText(qint64 bytes);
    // The whole history as CSV: BOM, header, one line per record, CRLF after every line.
    QString exportCSV() const;

private:
    // Takes in what was read; true when the records or the copy's path changed.
    bool absorb(const SpeedTestHistoryFile::Contents& contents);
    QList<SpeedTestRecord> withPendingChanges(const QList<SpeedTestRecord>& stored) const;
    bool save();
    void notify() const;

    SpeedTestHistoryFile m_file;
    Access m_access;
    // The records of the file when last read or written; its last decodable content while
    // it does not decode.
    QList<SpeedTestRecord> m_stored;
    // Changes made here that have not reached the file yet.
    QList<SpeedTestRecord> m_unsavedAdds;
    QList<SpeedTestRecord> m_unsavedRemovals;
    // What is shown: the stored records with the unsaved changes applied.
    QList<SpeedTestRecord> m_records;
    // The file as last read or written.
    SpeedTestHistoryFile::Contents m_known;
    bool m_fileUndecodable = false;
    std::optional<QString> m_lastQuarantinePath;
    QString m_lastSaveError;
    std::unique_ptr<FileChangeWatcher> m_watcher;
};
