#pragma once

#include <cmath>
#include <vector>

namespace nivaro {

// The smallest step of the 1-2-5 sequence (..., 0.5, 1, 2, 5, 10, ...) not
// below span, for ticks at round values; 1 for a span that is not positive.
inline double RoundStep(double span)
{
    if (!(span > 0) || !std::isfinite(span)) {
        return 1.0;
    }
    const double decade = std::pow(10.0, std::floor(std::log10(span)));
    for (const double mantissa : {1.0, 2.0, 5.0}) {
        if (mantissa * decade >= span * (1 - 1e-9)) {
            return mantissa * decade;
        }
    }
    return 10 * decade;
}

// The multiples of step from low to high (the ends taken within rounding),
// each as k * step so that errors do not add up, and zero exactly zero.
inline std::vector<double> RoundTicks(double low, double high, double step)
{
    std::vector<double> ticks;
    if (!(step > 0) || !(high >= low)) {
        return ticks;
    }
    for (double k = std::ceil(low / step - 1e-9); k * step <= high + step * 1e-9; ++k) {
        ticks.push_back(k == 0 ? 0.0 : k * step);
    }
    return ticks;
}

}  // namespace nivaro
