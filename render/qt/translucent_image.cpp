#include "render/qt/translucent_image.h"

namespace kestrival {
namespace {

QRgb RgbOf(std::int32_t colour) {
    const auto c = static_cast<std::uint32_t>(colour);
    return qRgb(static_cast<int>(c & 0xFF), static_cast<int>((c >> 8) & 0xFF), static_cast<int>((c >> 16) & 0xFF));
}

// A channel times alpha / 255, rounded to the nearest.
int Scaled(int channel, int alpha) { return (channel * alpha + 127) / 255; }

}  // namespace

QImage TranslucentPixels(const QImage& painted, std::uint8_t alpha, std::optional<std::int32_t> key) {
    const QImage source = painted.convertToFormat(QImage::Format_RGB32);
    QImage pixels(source.size(), QImage::Format_ARGB32_Premultiplied);
    const QRgb keyRgb = key ? RgbOf(*key) & RGB_MASK : 0;
    for (int y = 0; y < source.height(); ++y) {
        const auto* in = reinterpret_cast<const QRgb*>(source.constScanLine(y));
        auto* out = reinterpret_cast<QRgb*>(pixels.scanLine(y));
        for (int x = 0; x < source.width(); ++x) {
            const QRgb colour = in[x] & RGB_MASK;
            if (key && colour == keyRgb) {
                out[x] = 0;
                continue;
            }
            out[x] =
                qRgba(Scaled(qRed(colour), alpha), Scaled(qGreen(colour), alpha), Scaled(qBlue(colour), alpha), alpha);
        }
    }
    return pixels;
}

}  // namespace kestrival
