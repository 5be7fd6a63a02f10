#pragma once

#include <QByteArray>
#include <QStringView>

// Writing flat JSON objects straight into a byte buffer. The history file is rewritten whole on
// every added test, and building QJsonObjects for tens of thousands of records costs ten times
// more than this.
namespace CompactJson {

// A JSON string: quotes, backslashes and control characters escaped, the rest as UTF-8.
void appendString(QByteArray& out, QStringView text);
// The shortest text that reads back as the same double; JSON has no NaN or infinity, so those
// are written as 0.
void appendNumber(QByteArray& out, double value);

} // namespace CompactJson
