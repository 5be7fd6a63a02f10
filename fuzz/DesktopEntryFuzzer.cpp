#include "platform/DesktopEntry.h"

#include <cstddef>
#include <cstdint>

// Desktop entries are files any user can write: the parser must take whatever they hold.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArrayView text(reinterpret_cast<const char*>(data), qsizetype(size));
    const DesktopEntry entry = parseDesktopEntry(text);
    if (entry.displayName().isEmpty() != (entry.name.isEmpty() && entry.nameZhCN.isEmpty()))
        __builtin_trap();
    // A program's file name never holds a directory separator.
    if (fileNameOf(entry.execProgram).contains(QLatin1Char('/')) ||
        execProgramName(QString::fromUtf8(text)).contains(QLatin1Char('/')))
        __builtin_trap();
    return 0;
}
