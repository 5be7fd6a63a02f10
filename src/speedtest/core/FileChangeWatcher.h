#pragma once

#include <QFileSystemWatcher>
#include <QObject>
#include <QString>
#include <QTimer>

#include <functional>

// Calls back on the main thread after a file may have changed, including when another
// process replaced it atomically (a new inode) or created or removed it. A burst of changes,
// such as a write to a temporary file and its rename, gives one call.
class FileChangeWatcher : public QObject {
public:
    FileChangeWatcher(const QString& path, std::function<void()> changed,
                      QObject* parent = nullptr);

private:
    void schedule();
    void settle();
    void watchFileIfPresent();

    QString m_path;
    std::function<void()> m_changed;
    QFileSystemWatcher m_watcher;
    QTimer m_settle;
};
