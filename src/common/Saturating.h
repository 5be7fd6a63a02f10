#pragma once

#include <QtGlobal>

#include <limits>

// Byte counts add without wrapping: a sum that would pass 2^64 - 1 stays there.
constexpr quint64 saturatingAdd(quint64 a, quint64 b) {
    const quint64 sum = a + b;
    return sum < a ? std::numeric_limits<quint64>::max() : sum;
}

constexpr void addSaturating(quint64& sum, quint64 amount) {
    sum = saturatingAdd(sum, amount);
}
