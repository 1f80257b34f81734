#pragma once
// The program's drawing surface: a persistent off-screen bitmap in a memory DC. The painter draws
// into it; the window's paint handler copies it to the screen once per pass, so nothing flickers,
// and a timer pass that skips a cell leaves the cell's previous pixels in place.
#include <windows.h>

#include <map>
#include <memory>
#include <string>

#include "render/canvas.h"
#include "settings/execute_setting.h"
#include "support/win32/gdi_handles.h"

namespace kestrival {

class GdiCanvas : public Canvas {
public:
    explicit GdiCanvas(const GadgetFont& font);
    GdiCanvas(const GdiCanvas&) = delete;
    GdiCanvas& operator=(const GdiCanvas&) = delete;

    // Makes the bitmap this size; the pixels survive while the size stays the same.
    void Resize(Size size);
    // Copies the bitmap to `target` at its origin.
    void CopyTo(HDC target) const;
    HDC dc() const { return dc_.get(); }
    const std::wstring& face() const { return face_; }

    Size ClientSize() const override { return size_; }
    void SetFontSize(std::int32_t points) override;
    std::int32_t FontSize() const override { return fontSize_; }
    void Fill(const Rect& rect, std::int32_t colour) override;
    void Frame(const Rect& rect, std::int32_t colour) override;
    void Line(Point from, Point to, std::int32_t colour) override;
    void Text(Point at, std::u16string_view text, std::int32_t colour) override;
    Size TextExtent(std::u16string_view text) override;
    std::int32_t Dpi() const override { return dpi_; }
    // Draws for a display of this DPI from now on: the fonts are made again for it.
    void SetDpi(std::int32_t dpi);

private:
    HFONT FontOfSize(std::int32_t points);

    // Declared so that they are destroyed in the safe order: the selections are undone first,
    // then the fonts and the bitmap are deleted, then the DC.
    MemoryDC dc_;
    Bitmap bitmap_;
    std::map<std::int32_t, Font> fonts_;
    std::unique_ptr<ScopedSelect> bitmapSelection_;
    std::unique_ptr<ScopedSelect> fontSelection_;
    std::wstring face_;
    bool bold_;
    Size size_;
    std::int32_t fontSize_ = 0;
    std::int32_t dpi_ = kDesignDpi;
};

}  // namespace kestrival
