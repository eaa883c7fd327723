#pragma once

#include <algorithm>
#include <cstdint>
#include <memory>
#include <vector>

namespace nivaro {

// Dense row-by-row matrix: every row is its own heap block, reached through a
// table of row pointers. Containers are never copied; storage moves only by
// Swap and values only by CopyTo. Allocation failure throws std::bad_alloc
// and leaves the container as it was.
template <typename Element>
class RowMatrix {
public:
    RowMatrix(int rows, int cols) : rows_(rows), cols_(cols), rowBlocks_(Allocate(rows, cols)) {}
    RowMatrix(const RowMatrix&) = delete;
    RowMatrix& operator=(const RowMatrix&) = delete;
    ~RowMatrix() = default;

    int Rows() const { return rows_; }
    int Cols() const { return cols_; }

    Element* operator[](int row) { return rowBlocks_[static_cast<std::size_t>(row)].get(); }
    const Element* operator[](int row) const { return rowBlocks_[static_cast<std::size_t>(row)].get(); }

    void Swap(RowMatrix& other) noexcept
    {
        std::swap(rows_, other.rows_);
        std::swap(cols_, other.cols_);
        rowBlocks_.swap(other.rowBlocks_);
    }

    // Copies the common top-left block into dest; returns the rows copied.
    int CopyTo(RowMatrix& dest) const
    {
        const int commonRows = std::min(rows_, dest.rows_);
        const int commonCols = std::min(cols_, dest.cols_);
        for (int i = 0; i < commonRows; ++i) {
            std::copy_n((*this)[i], commonCols, dest[i]);
        }
        return commonRows;
    }

    // An unchanged shape keeps every element, stale ones included; callers
    // that need zeros call Clear themselves.
    void Resize(int rows, int cols)
    {
        if (rows == rows_ && cols == cols_) {
            return;
        }
        RowMatrix reshaped(rows, cols);
        CopyTo(reshaped);
        Swap(reshaped);
    }

    void Clear()
    {
        for (int i = 0; i < rows_; ++i) {
            std::fill_n((*this)[i], cols_, Element{});
        }
    }

private:
    using RowBlocks = std::vector<std::unique_ptr<Element[]>>;

    static RowBlocks Allocate(int rows, int cols)
    {
        RowBlocks blocks;
        if (rows <= 0) {
            return blocks;
        }
        blocks.reserve(static_cast<std::size_t>(rows));
        for (int i = 0; i < rows; ++i) {
            blocks.push_back(std::make_unique<Element[]>(static_cast<std::size_t>(std::max(cols, 0))));
        }
        return blocks;
    }

    int rows_;
    int cols_;
    RowBlocks rowBlocks_;
};

class RealMatrixT : public RowMatrix<double> {
public:
    using RowMatrix::RowMatrix;

    // The product is formed in extended precision and rounded once to double.
    void Scale(double factor);
    // Row-major scan from (0, 0); only a strictly greater element replaces the
    // current maximum. Needs at least one element.
    double MaxElement() const;
};

class RealMatrix : public RealMatrixT {
public:
    using RealMatrixT::RealMatrixT;
};

// Real parts in the inherited plane, imaginary parts in a second plane of the
// same shape (not interleaved).
class ComplexMatrixT : public RealMatrix {
public:
    ComplexMatrixT(int rows, int cols) : RealMatrix(rows, cols), imaginary_(rows, cols) {}

    double* Re(int row) { return (*this)[row]; }
    const double* Re(int row) const { return (*this)[row]; }
    double* Im(int row) { return imaginary_[row]; }
    const double* Im(int row) const { return imaginary_[row]; }

    void Swap(ComplexMatrixT& other) noexcept;
    int CopyTo(ComplexMatrixT& dest) const;
    void Resize(int rows, int cols);
    void Clear();
    // In-place transpose of both planes; the matrix must be square.
    void Transpose();

private:
    RowMatrix<double> imaginary_;
};

class ComplexMatrix : public ComplexMatrixT {
public:
    using ComplexMatrixT::ComplexMatrixT;
};

class UcharMatrix : public RowMatrix<std::uint8_t> {
public:
    using RowMatrix::RowMatrix;
};

}  // namespace nivaro
