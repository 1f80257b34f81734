#pragma once
// A canvas in memory: it rasterises fills, frames and lines into a pixel array and records every
// text, with text metrics that the caller chooses. Used by the unit tests and the native benchmark.
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "render/canvas.h"

namespace kestrival {

struct DrawnText {
    Point at;
    std::u16string text;
    std::int32_t colour = 0;
    std::int32_t fontSize = 0;
};

class TestCanvas : public Canvas {
public:
    // Every pixel starts as `background`; text cells are `charWidth` per code unit and as high as
    // `heightByPoints` says for the font size (12 for sizes it does not list).
    TestCanvas(Size size, std::int32_t background = -1, std::int32_t charWidth = 6,
               std::map<std::int32_t, std::int32_t> heightByPoints = {{9, 13}, {8, 11}});

    Size ClientSize() const override { return size_; }
    void SetFontSize(std::int32_t points) override { fontSize_ = points; }
    std::int32_t FontSize() const override { return fontSize_; }
    void Fill(const Rect& rect, std::int32_t colour) override;
    void Frame(const Rect& rect, std::int32_t colour) override;
    void Text(Point at, std::u16string_view text, std::int32_t colour) override;
    Size TextExtent(std::u16string_view text) override;
    std::int32_t Dpi() const override { return dpi_; }
    // Draws as a display of this resolution would; text heights stay as given.
    void SetDpi(std::int32_t dpi) { dpi_ = dpi; }

    // The colour at (x, y); -2 outside the canvas.
    std::int32_t PixelAt(std::int32_t x, std::int32_t y) const;
    const std::vector<DrawnText>& Texts() const { return texts_; }
    void ClearTexts() { texts_.clear(); }
    // The texts drawn at exactly this position, in drawing order.
    std::vector<std::u16string> TextsAt(Point at) const;

private:
    void Put(std::int32_t x, std::int32_t y, std::int32_t colour);

    Size size_;
    std::int32_t charWidth_;
    std::map<std::int32_t, std::int32_t> heightByPoints_;
    std::int32_t fontSize_ = 0;
    std::int32_t dpi_ = kDesignDpi;
    std::vector<std::int32_t> pixels_;
    std::vector<DrawnText> texts_;
};

}  // namespace kestrival
