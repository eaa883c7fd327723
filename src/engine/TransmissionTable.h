#pragma once

#include <complex>
#include <string>
#include <vector>

namespace nivaro {

// A grating's measured complex transmission: samples at increasing x (m),
// joined by straight lines in the real and imaginary parts, and 0 beyond
// the first and the last sample.
class TransmissionTable {
public:
    // Throws std::invalid_argument when there are fewer than two samples,
    // the x do not increase strictly, or a value is not finite.
    TransmissionTable(std::vector<double> x, std::vector<std::complex<double>> t);

    std::complex<double> At(double x) const;
    double First() const { return x_.front(); }
    double Last() const { return x_.back(); }
    double SmallestStep() const { return smallestStep_; }
    std::size_t Size() const { return x_.size(); }

private:
    std::vector<double> x_;
    std::vector<std::complex<double>> t_;
    double smallestStep_;
};

}  // namespace nivaro
