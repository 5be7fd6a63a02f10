#pragma once

#include <QStringList>

// `vorn history [--csv] [-o FILE]`: the speed-test history for people, or the list's CSV export.
namespace HistoryCommand {
inline constexpr const char* kSummary = "列出测速历史；--csv 输出与列表导出相同的 CSV";
int run(const QStringList& arguments);
} // namespace HistoryCommand
