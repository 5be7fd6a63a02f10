#pragma once

#include <QStringList>

#include <optional>

// Exit codes of the subcommands.
inline constexpr int kExitFailure = 1;
inline constexpr int kExitUsage = 2;

namespace CommandLine {

// Runs the subcommand named by argv[1] (or --help / --version) without a display and returns
// its exit code; nullopt when the arguments ask for the desktop program.
std::optional<int> runSubcommand(int argc, char** argv);

} // namespace CommandLine
