#pragma once

#include <QString>
#include <QStringView>

// The network-information answer: lines of key=value from the network. Only values of the
// expected shape are kept, so nothing else reaches the terminal, the history or an export.
namespace TraceAnswer {

struct Fields {
    QString loc;  // two ASCII letters
    QString colo; // 1 to 8 ASCII letters or digits
    QString ip;   // an IPv4 or IPv6 address
};

// A later valid line replaces an earlier value; invalid and empty values are ignored.
Fields parse(QStringView text);

// "出口 loc · CF colo · ip", leaving out what is absent.
QString summary(const Fields& fields);

bool isIpAddress(QStringView text);
bool isLocation(QStringView text);
bool isColo(QStringView text);

} // namespace TraceAnswer
