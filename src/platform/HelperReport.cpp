#include "platform/HelperReport.h"

#include <limits>
#include <unordered_set>

namespace {

// A plain unsigned decimal number no larger than max; none for anything else.
std::optional<quint64> parseNumber(QByteArrayView digits, quint64 max) {
    if (digits.isEmpty() || digits.size() > 20)
        return std::nullopt;
    quint64 value = 0;
    for (const char c : digits) {
        if (c < '0' || c > '9')
            return std::nullopt;
        const quint64 digit = quint64(c - '0');
        if (value > (max - digit) / 10)
            return std::nullopt;
        value = value * 10 + digit;
    }
    return value;
}

std::optional<HelperProcessCounts> parseLine(QByteArrayView line) {
    const qsizetype afterPid = line.indexOf(' ');
    const qsizetype beforeSent = line.lastIndexOf(' ');
    const qsizetype beforeReceived =
        beforeSent > 0 ? line.first(beforeSent).lastIndexOf(' ') : qsizetype(-1);
    if (afterPid <= 0 || beforeReceived <= afterPid)
        return std::nullopt;
    const QByteArrayView name = line.sliced(afterPid + 1, beforeReceived - afterPid - 1);
    for (const char c : name) {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f)
            return std::nullopt;
    }
    const auto pid = parseNumber(line.first(afterPid), std::numeric_limits<quint32>::max());
    const auto received =
        parseNumber(line.sliced(beforeReceived + 1, beforeSent - beforeReceived - 1),
                    std::numeric_limits<quint64>::max());
    const auto sent = parseNumber(line.sliced(beforeSent + 1), std::numeric_limits<quint64>::max());
    if (!pid || !received || !sent)
        return std::nullopt;
    return HelperProcessCounts{quint32(*pid), QString::fromUtf8(name).trimmed(), *received, *sent};
}

} // namespace

std::optional<qsizetype> helperAnswerLength(QByteArrayView buffer) {
    if (buffer.startsWith('\n'))
        return 1;
    const qsizetype end = QByteArrayView(buffer).indexOf("\n\n");
    if (end < 0)
        return std::nullopt;
    return end + 2;
}

std::optional<std::vector<HelperProcessCounts>> parseHelperAnswer(QByteArrayView answer) {
    if (!answer.endsWith('\n'))
        return std::nullopt;
    answer.chop(1); // the empty line
    std::vector<HelperProcessCounts> processes;
    std::unordered_set<quint32> pids;
    while (!answer.isEmpty()) {
        const qsizetype end = answer.indexOf('\n');
        if (end < 0)
            return std::nullopt;
        const auto process = parseLine(answer.first(end));
        if (!process || !pids.insert(process->pid).second)
            return std::nullopt;
        if (!process->name.isEmpty())
            processes.push_back(*process);
        answer = answer.sliced(end + 1);
    }
    return processes;
}
