#include "tests/common/test_canvas.h"

#include <algorithm>
#include <cstdlib>

namespace kestrival {

TestCanvas::TestCanvas(Size size, std::int32_t background, std::int32_t charWidth,
                       std::map<std::int32_t, std::int32_t> heightByPoints)
    : size_(size),
      charWidth_(charWidth),
      heightByPoints_(std::move(heightByPoints)),
      pixels_(static_cast<std::size_t>(std::max(size.width, 0)) * static_cast<std::size_t>(std::max(size.height, 0)),
              background) {}

void TestCanvas::Put(std::int32_t x, std::int32_t y, std::int32_t colour) {
    if (x < 0 || y < 0 || x >= size_.width || y >= size_.height) return;
    pixels_[static_cast<std::size_t>(y) * static_cast<std::size_t>(size_.width) + static_cast<std::size_t>(x)] = colour;
}

void TestCanvas::Fill(const Rect& rect, std::int32_t colour) {
    const std::int32_t left = std::max(rect.left, 0), right = std::min(rect.right, size_.width);
    const std::int32_t top = std::max(rect.top, 0), bottom = std::min(rect.bottom, size_.height);
    for (std::int32_t y = top; y < bottom; ++y) {
        for (std::int32_t x = left; x < right; ++x) Put(x, y, colour);
    }
}

void TestCanvas::Frame(const Rect& rect, std::int32_t colour) {
    if (rect.right <= rect.left || rect.bottom <= rect.top) return;
    Fill({rect.left, rect.top, rect.right, rect.top + 1}, colour);
    Fill({rect.left, rect.bottom - 1, rect.right, rect.bottom}, colour);
    Fill({rect.left, rect.top, rect.left + 1, rect.bottom}, colour);
    Fill({rect.right - 1, rect.top, rect.right, rect.bottom}, colour);
}

void TestCanvas::Text(Point at, std::u16string_view text, std::int32_t colour) {
    texts_.push_back({at, std::u16string(text), colour, fontSize_});
}

Size TestCanvas::TextExtent(std::u16string_view text) {
    const auto found = heightByPoints_.find(fontSize_);
    const std::int32_t height = found == heightByPoints_.end() ? 12 : found->second;
    return {static_cast<std::int32_t>(text.size()) * charWidth_, height};
}

std::int32_t TestCanvas::PixelAt(std::int32_t x, std::int32_t y) const {
    if (x < 0 || y < 0 || x >= size_.width || y >= size_.height) return -2;
    return pixels_[static_cast<std::size_t>(y) * static_cast<std::size_t>(size_.width) + static_cast<std::size_t>(x)];
}

std::vector<std::u16string> TestCanvas::TextsAt(Point at) const {
    std::vector<std::u16string> found;
    for (const auto& t : texts_) {
        if (t.at == at) found.push_back(t.text);
    }
    return found;
}

}  // namespace kestrival
