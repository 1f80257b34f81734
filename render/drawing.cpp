#include "render/drawing.h"

#include <algorithm>

namespace kestrival {

std::int32_t DarkenColor(std::int32_t colour, std::int32_t step) {
    // Signed quotient and remainder, as the colour is a signed integer; for 0..0xFFFFFF these are the bytes.
    const std::int64_t c = colour;
    std::int64_t red = c % 256 - step;
    std::int64_t green = (c / 256) % 256 - step;
    std::int64_t blue = ((c / 256) / 256) % 256 - step;
    red = std::max<std::int64_t>(red, 0);
    green = std::max<std::int64_t>(green, 0);
    blue = std::max<std::int64_t>(blue, 0);
    return static_cast<std::int32_t>(red + green * 256 + blue * 65536);
}

std::int32_t EvenTextHeight(Canvas& canvas) {
    const std::int32_t height = canvas.TextExtent(u"H").height;
    return 2 * ((height + 1) / 2);
}

void FrameLines(Canvas& canvas, const Rect& rect, std::int32_t colour, std::int32_t thickness) {
    if (thickness <= 1) {
        canvas.Frame(rect, colour);
        return;
    }
    const auto [left, top, right, bottom] = rect;
    canvas.Fill({left, top, right, top + thickness}, colour);
    canvas.Fill({left, bottom - thickness, right, bottom}, colour);
    canvas.Fill({left, top, left + thickness, bottom}, colour);
    canvas.Fill({right - thickness, top, right, bottom}, colour);
}

}  // namespace kestrival
