#include "support/display_scale.h"

#include <algorithm>

namespace kestrival {
namespace {

std::int32_t RoundedQuotient(std::int64_t numerator, std::int64_t denominator) {
    const std::int64_t half = denominator / 2;
    const std::int64_t q = numerator >= 0 ? (numerator + half) / denominator : -((-numerator + half) / denominator);
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(q, INT32_MIN, INT32_MAX));
}

std::int32_t Valid(std::int32_t dpi) { return dpi > 0 ? dpi : kDesignDpi; }

}  // namespace

std::int32_t ScaleLength(std::int32_t length, std::int32_t dpi) {
    return RoundedQuotient(std::int64_t{length} * Valid(dpi), kDesignDpi);
}

std::int32_t UnscaleLength(std::int32_t pixels, std::int32_t dpi) {
    return RoundedQuotient(std::int64_t{pixels} * kDesignDpi, Valid(dpi));
}

}  // namespace kestrival
