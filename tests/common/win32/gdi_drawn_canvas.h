#pragma once
// The program's GDI canvas with its fills and frames drawn by GDI itself (FillRect, FrameRect), as
// the canvas drew them before it wrote those pixels directly: the reference the pixel tests compare
// with, and the baseline of the GDI paint benchmark.
#include <windows.h>

#include "render/win32/gdi_canvas.h"

namespace kestrival {

class GdiDrawnCanvas : public GdiCanvas {
public:
    using GdiCanvas::GdiCanvas;
    void Fill(const Rect& rect, std::int32_t colour) override {
        if (rect.right <= rect.left || rect.bottom <= rect.top) return;
        const RECT r{rect.left, rect.top, rect.right, rect.bottom};
        ::SetDCBrushColor(dc(), static_cast<COLORREF>(colour) & 0xFFFFFF);
        ::FillRect(dc(), &r, static_cast<HBRUSH>(::GetStockObject(DC_BRUSH)));
        ::GdiFlush();  // the canvas flushes only for its own text
    }
    void Frame(const Rect& rect, std::int32_t colour) override {
        const RECT r{rect.left, rect.top, rect.right, rect.bottom};
        ::SetDCBrushColor(dc(), static_cast<COLORREF>(colour) & 0xFFFFFF);
        ::FrameRect(dc(), &r, static_cast<HBRUSH>(::GetStockObject(DC_BRUSH)));
        ::GdiFlush();
    }
};

}  // namespace kestrival
