#pragma once

#include <QString>

// The program's one logging function: "[Vorn] " + message on stderr.
void logMessage(const QString& message);
