#pragma once

#include <QByteArray>
#include <QtGlobal>

#include <vector>

// One interface's cumulative byte counters as the kernel reports them.
struct InterfaceCounter {
    QByteArray name;
    quint64 rxBytes = 0;
    quint64 txBytes = 0;

    friend bool operator==(const InterfaceCounter&, const InterfaceCounter&) = default;
};

// The counters of the interfaces whose traffic counts; ok is false when the query failed.
struct InterfaceReading {
    bool ok = false;
    std::vector<InterfaceCounter> counters;
};

// Reads the counted interfaces (loopback never counts; the platform decides the rest).
InterfaceReading readInterfaceCounters();
