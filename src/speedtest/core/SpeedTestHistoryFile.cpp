#include "speedtest/core/SpeedTestHistoryFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QLockFile>
#include <QSaveFile>
#include <QTemporaryFile>

namespace {

// Two copies within one second must not share a name, so later ones get a suffix.
constexpr int kMaxBackupSuffix = 1000;
// A writer holds the lock for one read and one write; a holder that has not let go in this
// long is taken to be hung. A crashed holder is noticed at once by its missing process.
constexpr int kStaleLockMs = 10000;
constexpr int kLockWaitMs = 3000;

QString backupName(const QString& stamp, int attempt) {
    const QString suffix = attempt == 0 ? QString() : QStringLiteral("-%1").arg(attempt + 1);
    return SpeedTestHistoryFile::kBackupPrefix + stamp + suffix +
           SpeedTestHistoryFile::kBackupSuffix;
}

QString lockError(QLockFile::LockError error) {
    switch (error) {
    case QLockFile::LockFailedError:
        return QStringLiteral("历史文件正被另一个进程写入");
    case QLockFile::PermissionError:
        return QStringLiteral("无法在历史文件所在的目录里建立锁文件");
    case QLockFile::NoError:
    case QLockFile::UnknownError:
        break;
    }
    return QStringLiteral("无法锁定历史文件");
}

} // namespace

SpeedTestHistoryFile::SpeedTestHistoryFile(const QString& path, const Clock& clock)
    : m_path(path), m_clock(clock) {}

std::optional<QList<SpeedTestRecord>> SpeedTestHistoryFile::decode(const QByteArray& bytes) {
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

QByteArray SpeedTestHistoryFile::encode(const QList<SpeedTestRecord>& records) {
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

SpeedTestHistoryFile::Contents SpeedTestHistoryFile::read(const Contents& known) const {
    Contents contents;
    QFile file(m_path);
    if (!file.exists())
        return contents;
    contents.state = Contents::State::unreadable;
    if (!file.open(QIODevice::ReadOnly)) {
        contents.error = file.errorString();
        return contents;
    }
    contents.bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        contents.error = file.errorString();
        return contents;
    }
    const bool seen =
        known.state == Contents::State::decoded || known.state == Contents::State::undecodable;
    if (seen && contents.bytes == known.bytes) {
        contents.state = known.state;
        contents.records = known.records;
    } else if (std::optional<QList<SpeedTestRecord>> records = decode(contents.bytes)) {
        contents.state = Contents::State::decoded;
        contents.records = std::move(*records);
    } else {
        contents.state = Contents::State::undecodable;
    }
    return contents;
}

SpeedTestHistoryFile::Update SpeedTestHistoryFile::update(const Change& change,
                                                          const Contents& known) const {
    using State = Contents::State;
    Update update;
    QLockFile lock(m_path + QStringLiteral(".lock"));
    lock.setStaleLockTime(kStaleLockMs);
    if (!lock.tryLock(kLockWaitMs)) {
        update.error = lockError(lock.error());
        return update;
    }
    const Contents current = read(known);
    std::optional<QList<SpeedTestRecord>> records;
    switch (current.state) {
    case State::missing:
        records.emplace();
        break;
    case State::decoded:
        records = current.records;
        break;
    case State::unreadable:
        update.error = QStringLiteral("无法读取历史文件（%1）").arg(current.error);
        return update;
    case State::undecodable:
        update.setAsidePath = setAside(current.bytes);
        if (!update.setAsidePath) {
            update.error = QStringLiteral("历史文件无法解析，也无法备份");
            return update;
        }
        break;
    }
    update.records = change(records);
    update.bytes = encode(update.records);
    QSaveFile file(m_path);
    if (!file.open(QIODevice::WriteOnly) || file.write(update.bytes) != update.bytes.size() ||
        !file.commit()) {
        update.error = file.errorString();
        return update;
    }
    update.written = true;
    return update;
}

std::optional<QString> SpeedTestHistoryFile::setAside(const QByteArray& bytes) const {
    if (std::optional<QString> existing = existingCopy(bytes))
        return existing;
    return makeCopy(bytes);
}

std::optional<QString> SpeedTestHistoryFile::existingCopy(const QByteArray& bytes) const {
    const QDir directory = QFileInfo(m_path).absoluteDir();
    const QFileInfoList copies = directory.entryInfoList(
        {kBackupPrefix + QLatin1Char('*') + kBackupSuffix}, QDir::Files | QDir::Hidden, QDir::Name);
    for (const QFileInfo& copy : copies) {
        if (copy.size() != bytes.size())
            continue;
        QFile file(copy.filePath());
        if (file.open(QIODevice::ReadOnly) && file.readAll() == bytes)
            return copy.filePath();
    }
    return std::nullopt;
}

std::optional<QString> SpeedTestHistoryFile::makeCopy(const QByteArray& bytes) const {
    const QDir directory = QFileInfo(m_path).absoluteDir();
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
