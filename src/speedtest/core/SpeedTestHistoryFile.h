#pragma once

#include "common/Clock.h"
#include "speedtest/core/SpeedTestRecord.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <functional>
#include <optional>

// The history file that every process keeping speed tests shares. Reading takes no lock,
// because writers replace the file atomically; a change is a read-modify-write under an
// advisory lock beside the file. An undecodable file is never replaced before a copy of its
// bytes has been set aside.
class SpeedTestHistoryFile {
public:
    static inline const QString kBackupPrefix = QStringLiteral("speedtest-history.corrupt-");
    static inline const QString kBackupSuffix = QStringLiteral(".json");

    struct Contents {
        enum class State { missing, unreadable, decoded, undecodable };
        State state = State::missing;
        QByteArray bytes;
        QList<SpeedTestRecord> records;
        // Why an unreadable file could not be read.
        QString error;
    };

    struct Update {
        bool written = false;
        // The records now in the file, when written.
        QList<SpeedTestRecord> records;
        QByteArray bytes;
        // The copy of an undecodable file found under the lock, made or found earlier.
        std::optional<QString> setAsidePath;
        // Why nothing was written.
        QString error;
    };

    // change gets the records in the file, or none when the file did not decode (its bytes
    // are then set aside), and returns the records to write.
    using Change =
        std::function<QList<SpeedTestRecord>(const std::optional<QList<SpeedTestRecord>>&)>;

    SpeedTestHistoryFile(const QString& path, const Clock& clock);

    QString path() const { return m_path; }
    // known is what the caller last saw: the same bytes again are not decoded again.
    Contents read(const Contents& known) const;
    // Under the lock: reads, sets an undecodable file aside, writes change's records. A file
    // that exists but cannot be read, or cannot be set aside, is left as it is.
    Update update(const Change& change, const Contents& known) const;

    // A copy of bytes beside the file: one set aside earlier with the same bytes, or a new
    // one named for the current time that never replaces an existing file.
    std::optional<QString> setAside(const QByteArray& bytes) const;
    // The copy of bytes set aside earlier, if there is one.
    std::optional<QString> existingCopy(const QByteArray& bytes) const;

    static std::optional<QList<SpeedTestRecord>> decode(const QByteArray& bytes);
    static QByteArray encode(const QList<SpeedTestRecord>& records);

private:
    std::optional<QString> makeCopy(const QByteArray& bytes) const;

    QString m_path;
    const Clock& m_clock;
};
