#pragma once

#include <QJsonObject>
#include <QString>

// One application's bytes of one day ("in", "out") as the traffic file at path holds them;
// empty when the file, the day or the application is missing.
QJsonObject storedApp(const QString& path, const QString& day, const char* name);
