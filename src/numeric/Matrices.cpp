#include "Matrices.h"

#include <sys/mman.h>

#include <utility>

namespace nivaro {

namespace {

constexpr std::size_t kHugePage = std::size_t{2} << 20;
constexpr std::size_t kVectorAlignment = 64;

}  // namespace

GridBlock::GridBlock(std::size_t bytes)
{
    if (bytes == 0) {
        return;
    }
    const bool huge = bytes >= kHugePage;
    const std::align_val_t alignment{huge ? kHugePage : kVectorAlignment};
    // Rounded up so that the advice covers whole huge pages.
    const std::size_t reserved = huge ? (bytes + kHugePage - 1) / kHugePage * kHugePage : bytes;
    data_ = std::unique_ptr<void, Release>(::operator new(reserved, alignment), Release{alignment});
#ifdef MADV_HUGEPAGE
    if (huge) {
        madvise(data_.get(), reserved, MADV_HUGEPAGE);  // advice only: where it is refused, small pages serve
    }
#endif
}

void RealMatrixT::Scale(double factor)
{
    const long double extendedFactor = factor;
    for (int i = 0; i < Rows(); ++i) {
        double* row = (*this)[i];
        for (int j = 0; j < Cols(); ++j) {
            row[j] = static_cast<double>(extendedFactor * row[j]);
        }
    }
}

double RealMatrixT::MaxElement() const
{
    double largest = (*this)[0][0];
    for (int i = 0; i < Rows(); ++i) {
        const double* row = (*this)[i];
        for (int j = 0; j < Cols(); ++j) {
            if (row[j] > largest) {
                largest = row[j];
            }
        }
    }
    return largest;
}

void ComplexMatrixT::Swap(ComplexMatrixT& other) noexcept
{
    Grid::Swap(other);
    imaginary_.Swap(other.imaginary_);
}

int ComplexMatrixT::CopyTo(ComplexMatrixT& dest) const
{
    imaginary_.CopyTo(dest.imaginary_);
    return Grid::CopyTo(dest);
}

void ComplexMatrixT::Resize(int rows, int cols)
{
    if (rows == Rows() && cols == Cols()) {
        return;
    }
    ComplexMatrixT reshaped(rows, cols);
    reshaped.Clear();
    CopyTo(reshaped);
    Swap(reshaped);
}

void ComplexMatrixT::Clear()
{
    Grid::Clear();
    imaginary_.Clear();
}

void ComplexMatrixT::Transpose()
{
    for (int i = 0; i < Rows(); ++i) {
        for (int j = 0; j < i; ++j) {
            std::swap(Re(i)[j], Re(j)[i]);
            std::swap(Im(i)[j], Im(j)[i]);
        }
    }
}

}  // namespace nivaro
