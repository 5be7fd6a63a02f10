#pragma once

#include <QString>

// Plain text output of the subcommands, UTF-8 whatever the locale.
void printOut(const QString& text);
void printError(const QString& text);
