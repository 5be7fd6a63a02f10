#include "cli/Terminal.h"

#include <cstdio>

namespace {

void write(std::FILE* stream, const QString& text) {
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stream);
    std::fflush(stream);
}

} // namespace

void printOut(const QString& text) {
    write(stdout, text);
}
void printError(const QString& text) {
    write(stderr, text);
}
