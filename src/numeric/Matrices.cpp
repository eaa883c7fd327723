#include "Matrices.h"

#include <utility>

namespace nivaro {

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
    RealMatrix::Swap(other);
    imaginary_.Swap(other.imaginary_);
}

int ComplexMatrixT::CopyTo(ComplexMatrixT& dest) const
{
    imaginary_.CopyTo(dest.imaginary_);
    return RealMatrix::CopyTo(dest);
}

void ComplexMatrixT::Resize(int rows, int cols)
{
    if (rows == Rows() && cols == Cols()) {
        return;
    }
    ComplexMatrixT reshaped(rows, cols);
    CopyTo(reshaped);
    Swap(reshaped);
}

void ComplexMatrixT::Clear()
{
    RealMatrix::Clear();
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
