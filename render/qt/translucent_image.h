#pragma once
// The painted picture as a translucent window's pixels, for a compositor to blend over what lies
// below: every pixel carries the window's alpha (premultiplied, as Qt's translucent windows
// expect), and the pixels painted in the colour key are fully transparent.
#include <QImage>

#include <cstdint>
#include <optional>

namespace kestrival {

// `key` is a colour in the core's 0x00BBGGRR form, or none when the background stays opaque.
QImage TranslucentPixels(const QImage& painted, std::uint8_t alpha, std::optional<std::int32_t> key);

}  // namespace kestrival
