#pragma once

#include <optional>
#include <string>

// The whole content of a (small, usually /proc) file; none when it cannot be read.
std::optional<std::string> readFileText(const std::string& path);
