#pragma once
// Lengths of the gadget and the dialog are designed at 96 DPI, and kept in those units in the
// settings file. On a display of another scale each is scaled when it is applied, the way Windows
// stretches a program that knows nothing of scale, but drawn sharp at the device's resolution.
#include <cstdint>

namespace kestrival {

inline constexpr std::int32_t kDesignDpi = 96;

// A 96-DPI length at `dpi`, to the nearest pixel with halves away from zero. A `dpi` below 1 is
// taken as 96.
std::int32_t ScaleLength(std::int32_t length, std::int32_t dpi);
// A device length at `dpi` in 96-DPI units, rounded the same way: undoes ScaleLength for every
// length when `dpi` is 96 or more.
std::int32_t UnscaleLength(std::int32_t pixels, std::int32_t dpi);

// ScaleLength bound to one DPI, for code that scales many lengths.
class Scaler {
public:
    explicit Scaler(std::int32_t dpi) : dpi_(dpi) {}
    std::int32_t operator()(std::int32_t length) const { return ScaleLength(length, dpi_); }
    std::int32_t dpi() const { return dpi_; }

private:
    std::int32_t dpi_;
};

}  // namespace kestrival
