#pragma once
// The drawing surface on Linux: a QImage the painter draws into with QPainter, copied to the
// gadget's window. Lengths are the core's own, in pixels of the display's real DPI (Qt's own
// scaling is off), so the image is the window's pixels one to one.
#include <QFont>
#include <QImage>

#include <cstdint>
#include <string>

#include "render/canvas.h"
#include "settings/execute_setting.h"
#include "support/qt/font_faces.h"

namespace kestrival {

class QtCanvas : public Canvas {
public:
    QtCanvas(const GadgetFont& font, std::u16string face, std::int32_t dpi);

    Size ClientSize() const override { return {image_.width(), image_.height()}; }
    void SetFontSize(std::int32_t points) override;
    std::int32_t FontSize() const override { return points_; }
    void Fill(const Rect& rect, std::int32_t colour) override;
    void Frame(const Rect& rect, std::int32_t colour) override;
    void Text(Point at, std::u16string_view text, std::int32_t colour) override;
    Size TextExtent(std::u16string_view text) override;
    std::int32_t Dpi() const override { return dpi_; }

    void SetDpi(std::int32_t dpi);
    // A new, blank image of this size; the old pixels are gone.
    void Resize(Size size);
    // Text over a see-through background is drawn without antialiasing: blended edges would keep
    // the key colour's tint and show as a dark fringe once the key is cut away.
    void SetTextAntialiasing(bool on);
    const QImage& Image() const { return image_; }

private:
    QFont FontFor(std::int32_t points) const;

    QImage image_;
    QString face_;
    bool bold_;
    std::int32_t points_ = 0;
    std::int32_t dpi_;
    bool antialiasText_ = true;
    QFont font_;
};

}  // namespace kestrival
