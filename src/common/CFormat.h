#pragma once

#include <QString>

// printf-style formatting that always uses the C locale, so a full stop is the decimal
// mark whatever LC_NUMERIC says (Qt sets the process locale from the environment).
QString cformat(const char* format, ...) __attribute__((format(printf, 1, 2)));
