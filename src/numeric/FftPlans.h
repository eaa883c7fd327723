#pragma once

#include <complex>
#include <cstddef>
#include <memory>

namespace nivaro {

// Complex values aligned as the transforms' plans expect.
class FftBuffer {
public:
    explicit FftBuffer(std::size_t size);
    std::complex<double>* Data() { return data_.get(); }
    const std::complex<double>* Data() const { return data_.get(); }
    std::size_t Size() const { return size_; }

private:
    struct Free {
        void operator()(std::complex<double>* data) const;
    };
    std::unique_ptr<std::complex<double>[], Free> data_;
    std::size_t size_;
};

struct Fft1DPlans;

// The complex one-dimensional transforms of one size, planned once per size
// for the whole process and shared by every thread: planning is not safe
// from several threads at once, running a plan is.
class Fft1D {
public:
    explicit Fft1D(std::size_t size);
    std::size_t Size() const { return size_; }

    // In place and unnormalised (a forward then a backward transform
    // multiplies by Size()), on a buffer of at least Size() values.
    void Forward(FftBuffer& buffer) const;
    void Backward(FftBuffer& buffer) const;

private:
    std::size_t size_;
    const Fft1DPlans* plans_;
};

// The smallest size of at least n whose only prime factors are 2, 3, 5 and
// 7, for which the transforms are fastest.
std::size_t FastFftSize(std::size_t n);

}  // namespace nivaro
