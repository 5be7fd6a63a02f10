#include "speedtest/core/TraceAnswer.h"

#include <QStringList>

#include <arpa/inet.h>

#include <algorithm>

namespace {

bool isAsciiLetter(QChar c) {
    return (c >= QLatin1Char('a') && c <= QLatin1Char('z')) ||
           (c >= QLatin1Char('A') && c <= QLatin1Char('Z'));
}

bool isAsciiDigit(QChar c) {
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

bool isAddressCharacter(QChar c) {
    return isAsciiDigit(c) || (c >= QLatin1Char('a') && c <= QLatin1Char('f')) ||
           (c >= QLatin1Char('A') && c <= QLatin1Char('F')) || c == QLatin1Char('.') ||
           c == QLatin1Char(':');
}

} // namespace

namespace TraceAnswer {

bool isIpAddress(QStringView text) {
    // inet_pton reads a C string: a NUL or anything outside the address alphabet must not
    // hide behind a valid prefix.
    constexpr qsizetype kLongestAddress = 45;
    if (text.isEmpty() || text.size() > kLongestAddress ||
        !std::all_of(text.begin(), text.end(), isAddressCharacter))
        return false;
    const QByteArray latin = text.toLatin1();
    unsigned char address[sizeof(in6_addr)];
    return inet_pton(AF_INET, latin.constData(), address) == 1 ||
           inet_pton(AF_INET6, latin.constData(), address) == 1;
}

bool isLocation(QStringView text) {
    return text.size() == 2 && std::all_of(text.begin(), text.end(), isAsciiLetter);
}

bool isColo(QStringView text) {
    return !text.isEmpty() && text.size() <= 8 &&
           std::all_of(text.begin(), text.end(),
                       [](QChar c) { return isAsciiLetter(c) || isAsciiDigit(c); });
}

Fields parse(QStringView text) {
    Fields fields;
    for (QStringView line : text.split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        // Leading separators give empty pieces, which do not count as the key.
        qsizetype start = 0;
        while (start < line.size() && line[start] == QLatin1Char('='))
            ++start;
        const qsizetype equals = line.indexOf(QLatin1Char('='), start);
        if (equals < 0 || equals == line.size() - 1)
            continue;
        const QStringView key = line.mid(start, equals - start);
        const QStringView value = line.mid(equals + 1);
        if (key == QLatin1String("loc") && isLocation(value))
            fields.loc = value.toString();
        else if (key == QLatin1String("colo") && isColo(value))
            fields.colo = value.toString();
        else if (key == QLatin1String("ip") && isIpAddress(value))
            fields.ip = value.toString();
    }
    return fields;
}

QString summary(const Fields& fields) {
    QStringList pieces;
    if (!fields.loc.isEmpty())
        pieces << QStringLiteral("出口 ") + fields.loc;
    if (!fields.colo.isEmpty())
        pieces << QStringLiteral("CF ") + fields.colo;
    if (!fields.ip.isEmpty())
        pieces << fields.ip;
    return pieces.join(QStringLiteral(" · "));
}

} // namespace TraceAnswer
