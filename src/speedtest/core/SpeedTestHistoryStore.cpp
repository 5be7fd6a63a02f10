#include "speedtest/core/SpeedTestHistoryStore.h"

#include "common/Brand.h"
#include "common/CFormat.h"
#include "common/NotificationCenter.h"
#include "speedtest/core/FileChangeWatcher.h"
#include "speedtest/core/SpeedTestHistoryMerge.h"

#include <QDir>
#include <QFileInfo>

using State = SpeedTestHistoryFile::Contents::State;

SpeedTestHistoryStore& SpeedTestHistoryStore::shared() {
    // Never destroyed: the list makes it watch its file, and no watcher may outlive the
    // application object.
    static auto* store = new SpeedTestHistoryStore(defaultFilePath());
    return *store;
}

QString SpeedTestHistoryStore::defaultFilePath() {
    const std::optional<QString> directory = Brand::supportDirectory();
    if (!directory)
        return kFallbackPath;
    return QDir(*directory).filePath(kFileName);
}

SpeedTestHistoryStore::SpeedTestHistoryStore(const QString& filePath, const Clock& clock,
                                             Access access)
    : m_file(filePath, clock), m_access(access) {
    absorb(m_file.read(m_known));
}

SpeedTestHistoryStore::~SpeedTestHistoryStore() = default;

bool SpeedTestHistoryStore::absorb(const SpeedTestHistoryFile::Contents& contents) {
    // A file that cannot be read at all tells nothing about the history: keep what we know.
    if (contents.state == State::unreadable)
        return false;
    m_known = contents;
    const std::optional<QString> copyBefore = m_lastQuarantinePath;
    m_fileUndecodable = contents.state == State::undecodable;
    if (contents.state == State::decoded)
        m_stored = contents.records;
    else if (contents.state == State::missing)
        m_stored.clear();
    else if (m_access == Access::readOnly)
        m_lastQuarantinePath = m_file.existingCopy(contents.bytes);
    else if (std::optional<QString> copy = m_file.setAside(contents.bytes))
        m_lastQuarantinePath = copy;
    const QList<SpeedTestRecord> records = withPendingChanges(m_stored);
    const bool changed = records != m_records || m_lastQuarantinePath != copyBefore;
    m_records = records;
    return changed;
}

QList<SpeedTestRecord>
SpeedTestHistoryStore::withPendingChanges(const QList<SpeedTestRecord>& stored) const {
    return SpeedTestHistoryMerge::merged(SpeedTestHistoryMerge::without(stored, m_unsavedRemovals),
                                         m_unsavedAdds);
}

void SpeedTestHistoryStore::reload() {
    const SpeedTestHistoryFile::Contents contents = m_file.read(m_known);
    if (contents.state == m_known.state && contents.bytes == m_known.bytes)
        return;
    if (absorb(contents))
        notify();
}

void SpeedTestHistoryStore::watchForChanges() {
    if (!m_watcher)
        m_watcher = std::make_unique<FileChangeWatcher>(filePath(), [this] { reload(); });
}

bool SpeedTestHistoryStore::add(const SpeedTestRecord& record) {
    if (m_access == Access::readOnly)
        return false;
    SpeedTestRecord stored = record;
    stored.zeroNonFiniteFigures();
    m_unsavedAdds.prepend(stored);
    return save();
}

bool SpeedTestHistoryStore::remove(const QList<SpeedTestRecord>& shown) {
    if (m_access == Access::readOnly)
        return false;
    m_unsavedAdds = SpeedTestHistoryMerge::without(m_unsavedAdds, shown);
    m_unsavedRemovals += shown;
    return save();
}

bool SpeedTestHistoryStore::clear() {
    return remove(m_records);
}

bool SpeedTestHistoryStore::save() {
    // An undecodable file stands for its last decodable content, so tests that were shown
    // before it broke are written again rather than lost.
    const SpeedTestHistoryFile::Update update = m_file.update(
        [this](const std::optional<QList<SpeedTestRecord>>& stored) {
            return withPendingChanges(stored ? *stored : m_stored);
        },
        m_known);
    if (update.setAsidePath)
        m_lastQuarantinePath = update.setAsidePath;
    if (update.written) {
        m_stored = update.records;
        m_unsavedAdds.clear();
        m_unsavedRemovals.clear();
        m_known = {State::decoded, update.bytes, update.records, {}};
        m_fileUndecodable = false;
        m_lastSaveError.clear();
    } else {
        m_lastSaveError = update.error;
    }
    m_records = withPendingChanges(m_stored);
    notify();
    return update.written;
}

void SpeedTestHistoryStore::notify() const {
    NotificationCenter::instance().post(speedTestHistoryChanged);
}

qint64 SpeedTestHistoryStore::storageBytes() const {
    const QFileInfo info(filePath());
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
