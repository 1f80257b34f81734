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
    return font;
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

void QtCanvas::Fill(const Rect& rect, std::int32_t colour) {
    if (rect.right <= rect.left || rect.bottom <= rect.top) return;
    QPainter painter(&image_);
    painter.fillRect(QRect(rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top), ColourOf(colour));
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
    QFont font = font_;
    font.setStyleStrategy(antialiasText_ ? QFont::PreferAntialias : QFont::NoAntialias);
    painter.setFont(font);
    painter.setPen(ColourOf(colour));
    const QFontMetrics metrics(font);
    painter.drawText(QPoint(at.x, at.y + metrics.ascent()), ToQString(text));
}

Size QtCanvas::TextExtent(std::u16string_view text) {
    const QFontMetrics metrics(font_);
    return {metrics.horizontalAdvance(ToQString(text)), metrics.height()};
}

}  // namespace kestrival
