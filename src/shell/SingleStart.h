#pragma once

#include "platform/SingleInstance.h"

#include <chrono>
#include <optional>

class AppShell;

// One desktop program per user: what a start does about a program already running.
namespace SingleStart {

// How long a later start waits for the running program to answer; it may itself be starting.
inline constexpr std::chrono::milliseconds kPatience{10000};

// The exit code of a start that must not run: 0 once the running program showed itself, 1 when
// it did not answer. Nothing when this start runs (the first, or the guard cannot work).
std::optional<int> exitCodeFor(SingleInstance::Claim claim);
// Makes the running program come forward whenever a later start asks.
void answerLaterStarts(SingleInstance& instance, AppShell& shell);

} // namespace SingleStart
