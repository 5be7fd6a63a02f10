#pragma once

#include <QStringList>

// `vorn monitor`: one line a second with both rates until interrupted.
namespace MonitorCommand {
inline constexpr const char* kSummary = "每秒打印一行下载与上传速率，直到 Ctrl-C";
int run(const QStringList& arguments);
} // namespace MonitorCommand
