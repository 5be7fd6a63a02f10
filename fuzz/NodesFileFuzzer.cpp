#include "speedtest/core/NodeCatalogue.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    QString error;
    const auto catalogue = NodeCatalogue::fromJson(
        QByteArrayView(reinterpret_cast<const char*>(data), qsizetype(size)), &error);
    if (!catalogue) {
        if (error.isEmpty())
            __builtin_trap();
        return 0;
    }
    // Whatever is accepted is usable: https URLs only, at least one download node.
    if (catalogue->download.empty())
        __builtin_trap();
    for (const auto& node : catalogue->download) {
        if (node.pingURL.scheme() != QLatin1String("https") ||
            node.downloadURL.scheme() != QLatin1String("https"))
            __builtin_trap();
    }
    for (const auto& node : catalogue->upload) {
        if (node.url.scheme() != QLatin1String("https"))
            __builtin_trap();
    }
    return 0;
}
