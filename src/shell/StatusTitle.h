#pragma once

#include <QString>

// Texts of the status item: the full title, and the two short lines its tray icon shows.
namespace StatusTitle {

// "↓ – ↑ –" until the first tick.
inline const QString kInitial = QStringLiteral("↓ – ↑ –");

// "↓ 1.2 MB/s ↑ 35.0 KB/s".
QString title(double down, double up);
// A rate in at most five characters: "512B", "1.5K", "35K", "1.2M", "2.0G".
QString shortRate(double bytesPerSecond);

} // namespace StatusTitle
