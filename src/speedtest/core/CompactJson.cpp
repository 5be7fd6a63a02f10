#include "speedtest/core/CompactJson.h"

#include <QLocale>

#include <cmath>

namespace CompactJson {

void appendString(QByteArray& out, QStringView text) {
    static const char hex[] = "0123456789abcdef";
    out.append('"');
    const QByteArray utf8 = text.toUtf8();
    for (const char byte : utf8) {
        const auto c = static_cast<unsigned char>(byte);
        switch (c) {
        case '"':
            out.append("\\\"", 2);
            break;
        case '\\':
            out.append("\\\\", 2);
            break;
        case '\n':
            out.append("\\n", 2);
            break;
        case '\r':
            out.append("\\r", 2);
            break;
        case '\t':
            out.append("\\t", 2);
            break;
        default:
            if (c < 0x20) {
                const char escaped[] = {'\\', 'u', '0', '0', hex[c >> 4], hex[c & 0xF]};
                out.append(escaped, sizeof escaped);
            } else {
                out.append(byte);
            }
        }
    }
    out.append('"');
}

void appendNumber(QByteArray& out, double value) {
    if (!std::isfinite(value)) {
        out.append('0');
        return;
    }
    out.append(QByteArray::number(value, 'g', QLocale::FloatingPointShortest));
}

} // namespace CompactJson
