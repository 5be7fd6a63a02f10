#pragma once

#include <QStringList>

// `vorn speedtest`: one full speed test with live progress, then the result.
namespace SpeedtestCommand {
inline constexpr const char* kSummary = "运行一次完整测速（延迟、下载、上传）";
int run(const QStringList& arguments);
} // namespace SpeedtestCommand
