#include "TransmissionTable.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <stdexcept>

namespace nivaro {

TransmissionTable::TransmissionTable(std::vector<double> x, std::vector<std::complex<double>> t)
    : x_(std::move(x)), t_(std::move(t)), smallestStep_(std::numeric_limits<double>::infinity())
{
    if (x_.size() != t_.size() || x_.size() < 2) {
        throw std::invalid_argument("a transmission needs at least two samples of x and t");
    }
    for (std::size_t i = 0; i < x_.size(); ++i) {
        if (!std::isfinite(x_[i]) || !std::isfinite(t_[i].real()) || !std::isfinite(t_[i].imag())) {
            throw std::invalid_argument("sample " + std::to_string(i + 1) + " of the transmission is not finite");
        }
        if (i > 0) {
            const double step = x_[i] - x_[i - 1];
            if (!(step > 0.0)) {
                throw std::invalid_argument("the transmission's x must increase from sample to sample (sample " +
                                            std::to_string(i + 1) + ")");
            }
            smallestStep_ = std::min(smallestStep_, step);
        }
    }
}

std::complex<double> TransmissionTable::At(double x) const
{
    if (!(x >= x_.front() && x <= x_.back())) {
        return 0.0;
    }
    const std::size_t after = std::max<std::size_t>(
        1, static_cast<std::size_t>(std::upper_bound(x_.begin(), x_.end(), x) - x_.begin()));
    const std::size_t right = std::min(after, x_.size() - 1);
    const double share = (x - x_[right - 1]) / (x_[right] - x_[right - 1]);
    return t_[right - 1] + share * (t_[right] - t_[right - 1]);
}

}  // namespace nivaro
