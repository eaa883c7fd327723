#pragma once

#include <cmath>

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

}  // namespace nivaro
