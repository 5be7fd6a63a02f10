#include "platform/linux/TcpOpens.h"

#include <QList>

#include <fcntl.h>
#include <unistd.h>

std::optional<quint64> parseTcpOpens(QByteArrayView snmp) {
    QList<QByteArrayView> header;
    for (const QByteArrayView line : QLatin1StringView(snmp).tokenize(QLatin1Char('\n'))) {
        const QByteArrayView bytes(line.data(), line.size());
        if (!bytes.startsWith("Tcp: "))
            continue;
        QList<QByteArrayView> fields;
        for (const auto field : QLatin1StringView(bytes).tokenize(QLatin1Char(' ')))
            fields.append(QByteArrayView(field.data(), field.size()));
        if (header.isEmpty()) {
            header = fields;
            continue;
        }
        const qsizetype active = header.indexOf("ActiveOpens");
        const qsizetype passive = header.indexOf("PassiveOpens");
        if (active < 0 || passive < 0 || fields.size() != header.size())
            return std::nullopt;
        bool activeOk = false, passiveOk = false;
        const quint64 opens =
            fields[active].toULongLong(&activeOk) + fields[passive].toULongLong(&passiveOk);
        if (!activeOk || !passiveOk)
            return std::nullopt;
        return opens;
    }
    return std::nullopt;
}

std::optional<quint64> readTcpOpens() {
    const int fd = open("/proc/net/snmp", O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return std::nullopt;
    char buffer[8192];
    qsizetype length = 0;
    for (ssize_t n; length < qsizetype(sizeof buffer) &&
                    (n = read(fd, buffer + length, sizeof buffer - size_t(length))) > 0;)
        length += n;
    close(fd);
    return parseTcpOpens(QByteArrayView(buffer, length));
}
