#pragma once

#include <QString>

#include <optional>

// The product's names and its application-support directory.
namespace Brand {

inline const QString name = QStringLiteral("岚");
inline const QString english = QStringLiteral("Vorn");
inline const QString full = QStringLiteral("岚 (Vorn)");
inline const QString slogan = QStringLiteral("网速如风，一眼看清");
inline const QString sloganEN = QStringLiteral("Every byte, at a glance.");
inline const QString logPrefix = QStringLiteral("Vorn");
inline const QString dirName = QStringLiteral("Vorn");
inline const QString legacyDirName = QStringLiteral("NetDial");

// The directory that holds the data files, created on first use; on creation the contents of
// the former product's directory are copied in once. Absent when the platform names no base.
std::optional<QString> supportDirectory();

// Copies each entry of legacy that has no namesake in dir. Never modifies legacy.
void migrateLegacy(const QString& legacy, const QString& dir);

} // namespace Brand
