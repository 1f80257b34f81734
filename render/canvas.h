#pragma once
// The drawing surface the painter draws on. The program's implementation is a GDI memory bitmap;
// the tests use one that records and rasterises what was drawn.
#include <cstdint>
#include <string_view>

#include "render/geometry.h"
#include "support/display_scale.h"

namespace kestrival {

class Canvas {
public:
    virtual ~Canvas() = default;
    // The drawing area: the window's current width and height.
    virtual Size ClientSize() const = 0;
    // The font's face and weight are fixed; only its point size changes between texts.
    virtual void SetFontSize(std::int32_t points) = 0;
    virtual std::int32_t FontSize() const = 0;
    // Solid fill of a rectangle; an empty rectangle paints nothing.
    virtual void Fill(const Rect& rect, std::int32_t colour) = 0;
    // A one-pixel outline just inside the rectangle.
    virtual void Frame(const Rect& rect, std::int32_t colour) = 0;
    // Text with the top-left corner of its cell at `at`, on a transparent background.
    virtual void Text(Point at, std::u16string_view text, std::int32_t colour) = 0;
    virtual Size TextExtent(std::u16string_view text) = 0;
    // The resolution the surface is drawn at; its fonts are made for it from their point sizes.
    virtual std::int32_t Dpi() const { return kDesignDpi; }
};

}  // namespace kestrival
