#include "ball/PanelPlacement.h"
#include "common/RectText.h"

#include <cmath>
#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
    const QRectF rect = parseRectText(text);
    if (!std::isfinite(rect.x()) || !std::isfinite(rect.y()) || !std::isfinite(rect.width()) ||
        !std::isfinite(rect.height()))
        __builtin_trap();
    // What was parsed is written back and parses to the same rectangle.
    if (!rect.isNull() && parseRectText(rectText(rect)) != rect)
        __builtin_trap();
    const QRect frame = PanelPlacement::initialFrame(text, QRect(0, 0, 1920, 1080));
    if (frame.width() < 1 || frame.width() > 4096 || frame.height() > 4096)
        __builtin_trap();
    return 0;
}
