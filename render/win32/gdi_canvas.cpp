#include "render/win32/gdi_canvas.h"

#include <algorithm>

#include "support/win32/dpi.h"
#include "support/win32/font_faces.h"
#include "support/win32/wide_text.h"

namespace kestrival {
namespace {

COLORREF ToCOLORREF(std::int32_t colour) { return static_cast<COLORREF>(colour) & 0x00FFFFFF; }

// A 0x00BBGGRR colour as a 32-bit DIB pixel, 0x00RRGGBB, with the top byte zero as GDI leaves it.
std::uint32_t DibPixel(std::int32_t colour) {
    const COLORREF c = ToCOLORREF(colour);
    return static_cast<std::uint32_t>(GetRValue(c)) << 16 | static_cast<std::uint32_t>(GetGValue(c)) << 8 |
           GetBValue(c);
}

BITMAPINFO PixelFormat(Size size) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = std::max(size.width, 1);
    info.bmiHeader.biHeight = -std::max(size.height, 1);  // top-down
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    return info;
}

}  // namespace

GdiCanvas::GdiCanvas(const GadgetFont& font)
    : face_(ChooseInstalledFace(font.face, ::MulDiv(font.points, 96, 72))), bold_(font.bold) {
    dpi_ = SystemDpi();
    // The pixels are made by the first Resize, once the size is known; measuring text needs none.
    SetFontSize(font.points);
}

// The views (surfaces_) go before the section they map, as the members are declared.
GdiCanvas::~GdiCanvas() = default;

void GdiCanvas::MakeFont(Surface& surface, std::int32_t points) const {
    surface.fontSelection.reset();
    LOGFONTW font{};
    font.lfHeight = -::MulDiv(points, dpi_, 72);
    font.lfWeight = bold_ ? FW_BOLD : FW_NORMAL;
    font.lfCharSet = DEFAULT_CHARSET;
    font.lfQuality = DEFAULT_QUALITY;
    face_.copy(font.lfFaceName, LF_FACESIZE - 1);
    surface.font = Font(::CreateFontIndirectW(&font));
    surface.fontSelection = std::make_unique<ScopedSelect>(surface.dc.get(), surface.font.get());
}

void GdiCanvas::MakeView(Surface& surface) const {
    surface.viewSelection.reset();
    surface.pixels = nullptr;
    if (!section_) return;
    const BITMAPINFO info = PixelFormat(size_);
    void* bits = nullptr;
    surface.view = Bitmap(::CreateDIBSection(surface.dc.get(), &info, DIB_RGB_COLORS, &bits, section_.get(), 0));
    if (surface.view) surface.pixels = static_cast<std::uint32_t*>(bits);
    surface.viewSelection = std::make_unique<ScopedSelect>(surface.dc.get(), surface.view.get());
}

GdiCanvas::Surface& GdiCanvas::SurfaceOf(std::int32_t points) {
    auto& slot = surfaces_[points];
    if (!slot) {
        slot = std::make_unique<Surface>();
        ::SetBkMode(slot->dc.get(), TRANSPARENT);
        ::SetTextAlign(slot->dc.get(), TA_LEFT | TA_TOP | TA_NOUPDATECP);
        MakeFont(*slot, points);
        MakeView(*slot);
    }
    return *slot;
}

void GdiCanvas::Resize(Size size) {
    if (size == size_ && section_) return;
    size_ = size;
    // A new section for the new size; every view moves to it before the old one is closed.
    const DWORD bytes = static_cast<DWORD>(std::max(size.width, 1)) * static_cast<DWORD>(std::max(size.height, 1)) * 4;
    UniqueHandle previous = std::move(section_);
    section_ = UniqueHandle(::CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, bytes, nullptr));
    for (auto& [points, surface] : surfaces_) MakeView(*surface);
}

void GdiCanvas::CopyTo(HDC target) const {
    ::GdiFlush();
    ::BitBlt(target, 0, 0, size_.width, size_.height, dc(), 0, 0, SRCCOPY);
}

std::vector<std::uint32_t> GdiCanvas::Pixels() {
    if (!current_ || !current_->pixels) return {};
    FlushText();
    const std::size_t count = static_cast<std::size_t>(size_.width) * static_cast<std::size_t>(size_.height);
    return std::vector<std::uint32_t>(current_->pixels, current_->pixels + count);
}

HDC GdiCanvas::dc() const { return current_ ? current_->dc.get() : nullptr; }

void GdiCanvas::SetFontSize(std::int32_t points) {
    if (points == fontSize_ && current_) return;
    FlushText();  // drawing moves to another DC
    current_ = &SurfaceOf(points);
    fontSize_ = points;
}

void GdiCanvas::SetDpi(std::int32_t dpi) {
    if (dpi <= 0 || dpi == dpi_) return;
    dpi_ = dpi;
    for (auto& [points, surface] : surfaces_) MakeFont(*surface, points);
}

void GdiCanvas::Fill(const Rect& rect, std::int32_t colour) { FillPixels(rect, DibPixel(colour)); }

void GdiCanvas::Frame(const Rect& rect, std::int32_t colour) {
    // The one-pixel outline just inside the rectangle, as FrameRect draws it.
    const auto [left, top, right, bottom] = rect;
    if (right <= left || bottom <= top) return;
    const std::uint32_t pixel = DibPixel(colour);
    FillPixels({left, top, right, top + 1}, pixel);
    FillPixels({left, bottom - 1, right, bottom}, pixel);
    FillPixels({left, top, left + 1, bottom}, pixel);
    FillPixels({right - 1, top, right, bottom}, pixel);
}

void GdiCanvas::FillPixels(const Rect& rect, std::uint32_t pixel) {
    const std::int32_t left = std::max(rect.left, 0), right = std::min(rect.right, size_.width);
    const std::int32_t top = std::max(rect.top, 0), bottom = std::min(rect.bottom, size_.height);
    if (right <= left || bottom <= top || !current_ || !current_->pixels) return;
    FlushText();
    const auto stride = static_cast<std::size_t>(size_.width);
    const auto width = static_cast<std::size_t>(right - left);
    std::uint32_t* row = current_->pixels + static_cast<std::size_t>(top) * stride + static_cast<std::size_t>(left);
    for (std::int32_t y = top; y < bottom; ++y, row += stride) std::fill_n(row, width, pixel);
}

void GdiCanvas::Text(Point at, std::u16string_view text, std::int32_t colour) {
    ::SetTextColor(dc(), ToCOLORREF(colour));
    ::ExtTextOutW(dc(), at.x, at.y, 0, nullptr, WideUnits(text), static_cast<UINT>(text.size()), nullptr);
    textPending_ = true;
}

void GdiCanvas::FlushText() {
    // GDI may hold back what it drew through one DC; before the pixels are written directly or drawn
    // through another DC, that text must be in them. Only text goes through GDI, so only text asks.
    if (!textPending_) return;
    ::GdiFlush();
    textPending_ = false;
}

Size GdiCanvas::TextExtent(std::u16string_view text) {
    SIZE extent{};
    ::GetTextExtentPoint32W(dc(), WideUnits(text), static_cast<int>(text.size()), &extent);
    return {extent.cx, extent.cy};
}

}  // namespace kestrival
