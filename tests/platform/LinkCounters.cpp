#include "LinkCounters.h"

#include <QByteArray>
#include <QFile>
#include <QList>

#include <gtest/gtest.h>

#include <cstdio>

namespace {

constexpr quint64 kEthernetHeader = 14; // counted by the link, not part of the IP length

} // namespace

LinkCounters readLinkCounters(const std::string& link) {
    QFile file(QStringLiteral("/proc/net/dev"));
    LinkCounters counters;
    if (!file.open(QIODevice::ReadOnly))
        return counters;
    const QByteArray prefix = QByteArray::fromStdString(link) + ':';
    for (const QByteArray& line : file.readAll().split('\n')) {
        const QByteArray trimmed = line.trimmed();
        if (!trimmed.startsWith(prefix))
            continue;
        const QList<QByteArray> fields = trimmed.mid(prefix.size()).simplified().split(' ');
        if (fields.size() >= 10)
            counters = {fields[0].toULongLong(), fields[1].toULongLong(), fields[8].toULongLong(),
                        fields[9].toULongLong()};
    }
    return counters;
}

std::pair<quint64, quint64> ipBytesBetween(const LinkCounters& before, const LinkCounters& after) {
    const quint64 received =
        (after.rxBytes - before.rxBytes) - kEthernetHeader * (after.rxPackets - before.rxPackets);
    const quint64 sent =
        (after.txBytes - before.txBytes) - kEthernetHeader * (after.txPackets - before.txPackets);
    return {received, sent};
}

void expectWithin2Percent(quint64 booked, quint64 crossed, quint64 payload, const char* what) {
    EXPECT_GE(crossed, payload) << what << ": the transfer did not cross the link";
    std::printf("%s: booked %llu of %llu bytes that crossed the link (%.3f %%)\n", what,
                static_cast<unsigned long long>(booked), static_cast<unsigned long long>(crossed),
                crossed ? 100.0 * double(booked) / double(crossed) : 0.0);
    EXPECT_GE(double(booked), 0.98 * double(crossed))
        << what << ": " << booked << " of " << crossed;
    EXPECT_LE(double(booked), 1.02 * double(crossed))
        << what << ": " << booked << " of " << crossed;
}
