#include "numtext.h"

#include <algorithm>
#include <cmath>

namespace numtext {

double roundNumber(double value, int decimals)
{
    // 10^22 is the largest power of ten that a double holds exactly.
    decimals = std::clamp(decimals, 0, 22);
    if (!std::isfinite(value))
        return value;
    double scale = 1.0;
    for (int i = 0; i < decimals; ++i)
        scale *= 10.0;

    // The product is rounded: 2.675 * 100 gives exactly 267.5 although the stored 2.675 lies
    // below the half. The fused multiply-add yields what that rounding cut off, exactly, and its
    // sign tells on which side of the half the true product lies.
    const double product = value * scale;
    // From 2^53 on, the doubles next to value lie further apart than 1/scale, so value itself is
    // the double nearest to its rounding.
    if (!(std::abs(product) < 9007199254740992.0))
        return value;
    double cutOff = std::fma(value, scale, -product);
    // Work on the magnitude: 1 - 0.3 is not exact, 0.7 - 0 is.
    const double magnitude = std::abs(product);
    if (product < 0)
        cutOff = -cutOff;
    // From 2^52 on the product is whole and, its spacing being 1, already the exact product
    // rounded to the nearest whole, halves to even.
    const double whole = std::floor(magnitude);
    const double fraction = magnitude - whole;
    bool up = fraction > 0.5;
    if (fraction == 0.5)
        up = cutOff > 0 || (cutOff == 0 && std::fmod(whole, 2.0) != 0);
    return std::copysign((up ? whole + 1 : whole) / scale, value);
}

std::optional<std::int16_t> toInt16(double value)
{
    const double rounded = roundNumber(value, 0);
    if (!(rounded >= -32768.0 && rounded <= 32767.0))
        return std::nullopt;
    return static_cast<std::int16_t>(rounded);
}

} // namespace numtext
