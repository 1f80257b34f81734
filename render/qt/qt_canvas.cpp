#include "render/qt/qt_canvas.h"

#include <QFontMetrics>
#include <QPainter>

#include <algorithm>

namespace kestrival {
namespace {

// The core's colours are 0x00BBGGRR.
QColor ColourOf(std::int32_t colour) {
    const auto c = static_cast<std::uint32_t>(colour);
    return QColor(static_cast<int>(c & 0xFF), static_cast<int>((c >> 8) & 0xFF), static_cast<int>((c >> 16) & 0xFF));
}

QString ToQString(std::u16string_view text) {
    return QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace

QtCanvas::QtCanvas(const GadgetFont& font, std::u16string face, std::int32_t dpi)
    : image_(1, 1, QImage::Format_RGB32), face_(ToQString(face)), bold_(font.bold), dpi_(dpi) {
    image_.fill(Qt::black);
    SetFontSize(font.points);
}

QFont QtCanvas::FontFor(std::int32_t points) const {
    QFont font(face_);
    // Sized in pixels from the points at the canvas's DPI, as GDI sizes its fonts.
    font.setPixelSize(std::max(1, (points * dpi_ + 36) / 72));
    font.setBold(bold_);
    font.setHintingPreference(QFont::PreferFullHinting);
    // Measured and drawn with one font: each strategy is a font engine of its own to load.
    font.setStyleStrategy(antialiasText_ ? QFont::PreferAntialias : QFont::NoAntialias);
    return font;
}

void QtCanvas::SetTextAntialiasing(bool on) {
    if (on == antialiasText_) return;
    antialiasText_ = on;
    font_ = FontFor(points_);
}

void QtCanvas::SetFontSize(std::int32_t points) {
    points_ = points;
    font_ = FontFor(points);
}

void QtCanvas::SetDpi(std::int32_t dpi) {
    dpi_ = dpi;
    font_ = FontFor(points_);
}

void QtCanvas::Resize(Size size) {
    image_ = QImage(std::max(size.width, 1), std::max(size.height, 1), QImage::Format_RGB32);
    image_.fill(Qt::black);
}

// Solid fills, most of a pass, are written straight into the pixels: a painter made for each would
// cost more than the fill.
void QtCanvas::Fill(const Rect& rect, std::int32_t colour) {
    const int left = std::max(rect.left, 0), right = std::min(rect.right, image_.width());
    const int top = std::max(rect.top, 0), bottom = std::min(rect.bottom, image_.height());
    if (right <= left || bottom <= top) return;
    const QRgb pixel = ColourOf(colour).rgb();
    for (int y = top; y < bottom; ++y) {
        std::fill_n(reinterpret_cast<QRgb*>(image_.scanLine(y)) + left, right - left, pixel);
    }
}

void QtCanvas::Frame(const Rect& rect, std::int32_t colour) {
    const auto [left, top, right, bottom] = rect;
    if (right <= left || bottom <= top) return;
    Fill({left, top, right, top + 1}, colour);
    Fill({left, bottom - 1, right, bottom}, colour);
    Fill({left, top, left + 1, bottom}, colour);
    Fill({right - 1, top, right, bottom}, colour);
}

void QtCanvas::Text(Point at, std::u16string_view text, std::int32_t colour) {
    if (text.empty()) return;
    QPainter painter(&image_);
    painter.setFont(font_);
    painter.setPen(ColourOf(colour));
    const QFontMetrics metrics(font_);
    painter.drawText(QPoint(at.x, at.y + metrics.ascent()), ToQString(text));
}

Size QtCanvas::TextExtent(std::u16string_view text) {
    const QFontMetrics metrics(font_);
    return {metrics.horizontalAdvance(ToQString(text)), metrics.height()};
}

}  // namespace kestrival
