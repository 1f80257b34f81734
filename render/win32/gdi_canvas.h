#pragma once
// The program's drawing surface: a persistent off-screen bitmap. The painter draws into it; the
// window's paint handler copies it to the screen once per pass, so nothing flickers, and a timer
// pass that skips a cell leaves the cell's previous pixels in place.
//
// The panels alternate between two font sizes. Selecting a font into a DC is costly (under Wine
// every selection goes to the display driver), so each font size has a DC of its own with its font
// selected once, and all those DCs draw into one set of pixels: DIB sections made from one shared
// memory section. The drawing order stays exactly the painter's.
//
// Solid fills and frames, most of a pass, are written straight into those pixels: through GDI each
// costs two calls into the system and its general drawing path, for the same pixels.
#include <windows.h>

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "render/canvas.h"
#include "settings/execute_setting.h"
#include "support/win32/gdi_handles.h"
#include "support/win32/handles.h"

namespace kestrival {

class GdiCanvas : public Canvas {
public:
    explicit GdiCanvas(const GadgetFont& font);
    ~GdiCanvas() override;
    GdiCanvas(const GdiCanvas&) = delete;
    GdiCanvas& operator=(const GdiCanvas&) = delete;

    // Makes the bitmap this size; the pixels survive while the size stays the same.
    void Resize(Size size);
    // Copies the bitmap to `target` at its origin.
    void CopyTo(HDC target) const;
    // A copy of the pixels as they are now, rows top down; empty before the first Resize.
    std::vector<std::uint32_t> Pixels();
    // A DC that holds the pixels, with the current font size's font selected.
    HDC dc() const;
    const std::wstring& face() const { return face_; }

    Size ClientSize() const override { return size_; }
    void SetFontSize(std::int32_t points) override;
    std::int32_t FontSize() const override { return fontSize_; }
    void Fill(const Rect& rect, std::int32_t colour) override;
    void Frame(const Rect& rect, std::int32_t colour) override;
    void Text(Point at, std::u16string_view text, std::int32_t colour) override;
    Size TextExtent(std::u16string_view text) override;
    std::int32_t Dpi() const override { return dpi_; }
    // Draws for a display of this DPI from now on: the fonts are made again for it.
    void SetDpi(std::int32_t dpi);

private:
    // One font size's DC: its font and its view of the shared pixels stay selected. Members are
    // declared so that the selections are undone first, then the view and the font are deleted,
    // then the DC.
    struct Surface {
        MemoryDC dc;
        Font font;
        Bitmap view;
        std::uint32_t* pixels = nullptr;  // the view's first pixel: rows top down, no padding
        std::unique_ptr<ScopedSelect> fontSelection;
        std::unique_ptr<ScopedSelect> viewSelection;
    };

    Surface& SurfaceOf(std::int32_t points);
    void MakeFont(Surface& surface, std::int32_t points) const;
    void MakeView(Surface& surface) const;
    void FillPixels(const Rect& rect, std::uint32_t pixel);
    void FlushText();

    UniqueHandle section_;  // the shared pixels; declared before the views, so closed after them
    std::map<std::int32_t, std::unique_ptr<Surface>> surfaces_;
    Surface* current_ = nullptr;
    std::wstring face_;
    bool bold_;
    Size size_;
    std::int32_t fontSize_ = 0;
    bool textPending_ = false;  // text drawn through GDI since the last flush
    std::int32_t dpi_ = kDesignDpi;
};

}  // namespace kestrival
