#pragma once
// Points, sizes and rectangles in pixels, with the origin at the top left. Rectangles are
// half-open: the right column and the bottom row are not part of them.
#include <cstdint>

namespace kestrival {

struct Point {
    std::int32_t x = 0;
    std::int32_t y = 0;
    bool operator==(const Point&) const = default;
};

struct Size {
    std::int32_t width = 0;
    std::int32_t height = 0;
    bool operator==(const Size&) const = default;
};

struct Rect {
    std::int32_t left = 0;
    std::int32_t top = 0;
    std::int32_t right = 0;
    std::int32_t bottom = 0;
    bool operator==(const Rect&) const = default;
};

// One monitor in desktop pixels: the whole display and the part left over by taskbars and panels.
struct Monitor {
    Rect bounds;
    Rect work;
    bool operator==(const Monitor&) const = default;
};

}  // namespace kestrival
