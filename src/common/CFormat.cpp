#include "common/CFormat.h"

#include <clocale>
#include <cstdarg>
#include <cstdio>
#include <locale.h>

namespace {

locale_t cLocale() {
    static const locale_t locale = newlocale(LC_ALL_MASK, "C", locale_t(nullptr));
    return locale;
}

} // namespace

QString cformat(const char* format, ...) {
    const locale_t previous = uselocale(cLocale());
    char stackBuffer[128];
    va_list args;
    va_start(args, format);
    va_list copy;
    va_copy(copy, args);
    const int needed = std::vsnprintf(stackBuffer, sizeof stackBuffer, format, args);
    va_end(args);
    QString result;
    if (needed < 0) {
        result = QString();
    } else if (size_t(needed) < sizeof stackBuffer) {
        result = QString::fromUtf8(stackBuffer, needed);
    } else {
        QByteArray heap(needed + 1, Qt::Uninitialized);
        std::vsnprintf(heap.data(), heap.size(), format, copy);
        result = QString::fromUtf8(heap.constData(), needed);
    }
    va_end(copy);
    uselocale(previous);
    return result;
}
