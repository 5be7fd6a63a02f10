#include "speedtest/core/FileChangeWatcher.h"

#include <QFileInfo>

namespace {

constexpr int kSettleMs = 50;

} // namespace

FileChangeWatcher::FileChangeWatcher(const QString& path, std::function<void()> changed,
                                     QObject* parent)
    : QObject(parent), m_path(path), m_changed(std::move(changed)) {
    m_settle.setSingleShot(true);
    m_settle.setInterval(kSettleMs);
    connect(&m_settle, &QTimer::timeout, this, &FileChangeWatcher::settle);
    // The directory sees a replacement or a new file; the file itself sees writes in place.
    const QString directory = QFileInfo(path).absolutePath();
    if (QFileInfo(directory).isDir())
        m_watcher.addPath(directory);
    watchFileIfPresent();
    connect(&m_watcher, &QFileSystemWatcher::directoryChanged, this, &FileChangeWatcher::schedule);
    connect(&m_watcher, &QFileSystemWatcher::fileChanged, this, &FileChangeWatcher::schedule);
}

void FileChangeWatcher::schedule() {
    m_settle.start();
}

void FileChangeWatcher::settle() {
    // A replaced file drops out of the watch list; the new one is watched from here on.
    watchFileIfPresent();
    m_changed();
}

void FileChangeWatcher::watchFileIfPresent() {
    if (QFileInfo::exists(m_path) && !m_watcher.files().contains(m_path))
        m_watcher.addPath(m_path);
}
