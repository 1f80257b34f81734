#include "render/win32/gdi_canvas.h"

#include <algorithm>
#include <array>

#include "support/win32/font_faces.h"

namespace kestrival {
namespace {

RECT ToRECT(const Rect& r) { return RECT{r.left, r.top, r.right, r.bottom}; }

COLORREF ToCOLORREF(std::int32_t colour) { return static_cast<COLORREF>(colour) & 0x00FFFFFF; }

}  // namespace

GdiCanvas::GdiCanvas(const GadgetFont& font)
    : face_(ChooseInstalledFace(font.face, ::MulDiv(font.points, 96, 72))), bold_(font.bold) {
    ::SetBkMode(dc_.get(), TRANSPARENT);
    ::SetTextAlign(dc_.get(), TA_LEFT | TA_TOP | TA_NOUPDATECP);
    dpi_ = ::GetDeviceCaps(dc_.get(), LOGPIXELSY);
    SetFontSize(font.points);
}

void GdiCanvas::SetDpi(std::int32_t dpi) {
    if (dpi <= 0 || dpi == dpi_) return;
    fontSelection_.reset();
    fonts_.clear();
    dpi_ = dpi;
    const std::int32_t points = fontSize_;
    fontSize_ = 0;
    SetFontSize(points);
}

void GdiCanvas::Resize(Size size) {
    if (size == size_ && bitmap_) return;
    bitmapSelection_.reset();
    WindowDC screen(nullptr);
    bitmap_ = Bitmap(::CreateCompatibleBitmap(screen.get(), std::max(size.width, 1), std::max(size.height, 1)));
    bitmapSelection_ = std::make_unique<ScopedSelect>(dc_.get(), bitmap_.get());
    size_ = size;
}

void GdiCanvas::CopyTo(HDC target) const {
    ::BitBlt(target, 0, 0, size_.width, size_.height, dc_.get(), 0, 0, SRCCOPY);
}

HFONT GdiCanvas::FontOfSize(std::int32_t points) {
    auto found = fonts_.find(points);
    if (found != fonts_.end()) return found->second.get();
    LOGFONTW font{};
    font.lfHeight = -::MulDiv(points, dpi_, 72);
    font.lfWeight = bold_ ? FW_BOLD : FW_NORMAL;
    font.lfCharSet = DEFAULT_CHARSET;
    font.lfQuality = DEFAULT_QUALITY;
    face_.copy(font.lfFaceName, LF_FACESIZE - 1);
    return fonts_.emplace(points, Font(::CreateFontIndirectW(&font))).first->second.get();
}

void GdiCanvas::SetFontSize(std::int32_t points) {
    if (points == fontSize_ && fontSelection_) return;
    fontSelection_.reset();
    fontSelection_ = std::make_unique<ScopedSelect>(dc_.get(), FontOfSize(points));
    fontSize_ = points;
}

void GdiCanvas::Fill(const Rect& rect, std::int32_t colour) {
    if (rect.right <= rect.left || rect.bottom <= rect.top) return;
    const RECT r = ToRECT(rect);
    ::SetDCBrushColor(dc_.get(), ToCOLORREF(colour));
    ::FillRect(dc_.get(), &r, static_cast<HBRUSH>(::GetStockObject(DC_BRUSH)));
}

void GdiCanvas::Frame(const Rect& rect, std::int32_t colour) {
    const RECT r = ToRECT(rect);
    ::SetDCBrushColor(dc_.get(), ToCOLORREF(colour));
    ::FrameRect(dc_.get(), &r, static_cast<HBRUSH>(::GetStockObject(DC_BRUSH)));
}

void GdiCanvas::Line(Point from, Point to, std::int32_t colour) {
    ScopedSelect pen(dc_.get(), ::GetStockObject(DC_PEN));
    ::SetDCPenColor(dc_.get(), ToCOLORREF(colour));
    ::MoveToEx(dc_.get(), from.x, from.y, nullptr);
    ::LineTo(dc_.get(), to.x, to.y);
}

void GdiCanvas::Text(Point at, std::u16string_view text, std::int32_t colour) {
    ::SetTextColor(dc_.get(), ToCOLORREF(colour));
    ::ExtTextOutW(dc_.get(), at.x, at.y, 0, nullptr, reinterpret_cast<const wchar_t*>(text.data()),
                  static_cast<UINT>(text.size()), nullptr);
}

Size GdiCanvas::TextExtent(std::u16string_view text) {
    SIZE extent{};
    ::GetTextExtentPoint32W(dc_.get(), reinterpret_cast<const wchar_t*>(text.data()), static_cast<int>(text.size()),
                            &extent);
    return {extent.cx, extent.cy};
}

}  // namespace kestrival
