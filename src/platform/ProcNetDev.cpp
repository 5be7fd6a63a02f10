#include "platform/ProcNetDev.h"

#include <charconv>

namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

// Reads the next unsigned decimal field; false when the field is missing or not a number.
bool nextField(const char*& p, const char* end, quint64& value) {
    while (p < end && isBlank(*p))
        ++p;
    const auto [next, error] = std::from_chars(p, end, value);
    if (error != std::errc() || (next < end && !isBlank(*next)))
        return false;
    p = next;
    return true;
}

std::optional<InterfaceCounter> parseCounterLine(QByteArrayView line) {
    const qsizetype colon = line.indexOf(':');
    if (colon <= 0)
        return std::nullopt;
    const QByteArray name = line.first(colon).trimmed().toByteArray();
    if (name.isEmpty())
        return std::nullopt;
    const char* p = line.data() + colon + 1;
    const char* end = line.data() + line.size();
    quint64 fields[9];
    for (quint64& field : fields) {
        if (!nextField(p, end, field))
            return std::nullopt;
    }
    // Receive has eight columns: bytes is the first; transmit bytes is the ninth overall.
    return InterfaceCounter{name, fields[0], fields[8]};
}

} // namespace

std::optional<std::vector<InterfaceCounter>> parseProcNetDev(QByteArrayView text) {
    std::vector<InterfaceCounter> counters;
    bool sawHeader = false;
    qsizetype start = 0;
    while (start < text.size()) {
        qsizetype end = text.indexOf('\n', start);
        if (end < 0)
            end = text.size();
        const QByteArrayView line = text.sliced(start, end - start);
        start = end + 1;
        if (line.contains('|')) {
            sawHeader = true;
            continue;
        }
        if (auto counter = parseCounterLine(line))
            counters.push_back(std::move(*counter));
    }
    if (!sawHeader)
        return std::nullopt;
    return counters;
}
