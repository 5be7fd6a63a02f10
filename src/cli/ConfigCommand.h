#pragma once

#include <QStringList>

// `vorn config list|get KEY|set KEY VALUE|unset KEY`: the settings store, typed by the
// settings schema. The running program picks changes up at its next start.
namespace ConfigCommand {
inline constexpr const char* kSummary = "查看或修改设置（list、get、set、unset）";
int run(const QStringList& arguments);
} // namespace ConfigCommand
