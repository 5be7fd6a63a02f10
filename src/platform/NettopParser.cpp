#include "platform/NettopParser.h"

#include "common/Saturating.h"

#include <limits>

namespace {

// An unsigned decimal integer with at most one leading plus; anything else (blanks, other
// signs, fractions, overflow) reads 0.
quint64 countField(QStringView field) {
    if (field.startsWith(QLatin1Char('+')))
        field = field.mid(1);
    if (field.isEmpty())
        return 0;
    quint64 value = 0;
    constexpr quint64 kMax = std::numeric_limits<quint64>::max();
    for (const QChar c : field) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return 0;
        const quint64 digit = quint64(c.unicode() - u'0');
        if (value > (kMax - digit) / 10)
            return 0;
        value = value * 10 + digit;
    }
    return value;
}

} // namespace

AppSample parseNettop(QStringView text) {
    AppSample sample;
    for (const QStringView line : text.tokenize(QLatin1Char('\n'))) {
        QStringView fields[6];
        int count = 0;
        for (const QStringView field : line.tokenize(QLatin1Char(','))) {
            if (count < 6)
                fields[count] = field;
            if (++count >= 6)
                break;
        }
        if (count < 6 || fields[1].isEmpty())
            continue;
        const qsizetype dot = fields[1].lastIndexOf(QLatin1Char('.'));
        if (dot <= 0)
            continue;
        auto& entry = sample[fields[1].left(dot).toString()];
        entry.first = saturatingAdd(entry.first, countField(fields[4]));
        entry.second = saturatingAdd(entry.second, countField(fields[5]));
    }
    return sample;
}
