#pragma once

#include <QString>
#include <QStringList>
#include <QVariant>

#include <optional>

// The per-user key-value settings store with the typed reads the program relies on: a missing
// or unreadable double or integer reads 0, a missing boolean false, a missing string absent.
// Values written by another tool may have any type; reads never fail on them.
namespace UserDefaults {

double doubleValue(const QString& key);
qint64 integerValue(const QString& key);
bool boolValue(const QString& key);
std::optional<QString> stringValue(const QString& key);
bool contains(const QString& key);
QStringList keys();
QVariant rawValue(const QString& key);

void setDouble(const QString& key, double value);
void setInteger(const QString& key, qint64 value);
void setBool(const QString& key, bool value);
void setString(const QString& key, const QString& value);
void remove(const QString& key);
// Writes pending changes to disk now (they are also written on exit and periodically).
// Returns false when the settings file could not be written.
bool sync();
// The settings file's path.
QString fileName();

} // namespace UserDefaults
