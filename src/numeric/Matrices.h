#pragma once

#include <algorithm>
#include <complex>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <new>
#include <type_traits>

namespace nivaro {

// Uninitialised storage for one grid, aligned for the widest vectors. Blocks
// of 2 MiB and more are aligned to 2 MiB and advised for transparent huge
// pages: a fresh 4 KiB page costs about as much as computing a thousand grid
// points, and huge pages fault in several times cheaper per byte.
class GridBlock {
public:
    GridBlock() = default;
    // Throws std::bad_alloc when the block cannot be had.
    explicit GridBlock(std::size_t bytes);

    void* Data() const { return data_.get(); }

private:
    struct Release {
        std::align_val_t alignment;
        void operator()(void* data) const noexcept { ::operator delete(data, alignment); }
    };

    std::unique_ptr<void, Release> data_{nullptr, Release{std::align_val_t{64}}};
};

// Rows of a grid, or of a part of one, `stride` elements apart.
template <typename Element>
struct GridView {
    GridView() = default;
    GridView(Element* first, int rowCount, int columnCount, std::ptrdiff_t rowStride)
        : data(first), rows(rowCount), cols(columnCount), stride(rowStride)
    {
    }
    // A view of writable elements serves where one of const elements is asked for.
    template <typename Writable>
        requires std::is_same_v<const Writable, Element>
    GridView(const GridView<Writable>& other) : GridView(other.data, other.rows, other.cols, other.stride)
    {
    }

    Element* data = nullptr;
    int rows = 0;
    int cols = 0;
    std::ptrdiff_t stride = 0;

    Element* Row(int row) const { return data + row * stride; }
    Element& operator()(int row, int column) const { return data[row * stride + column]; }
    bool Empty() const { return data == nullptr; }
};

// A dense row-major grid in one contiguous block. A new grid is not
// initialised: its producer writes every element, or calls Clear. Grids are
// never copied; storage moves only by Swap and values only by CopyTo.
// Allocation failure throws std::bad_alloc.
template <typename Element>
class Grid {
public:
    Grid(int rows, int cols)
        : rows_(std::max(rows, 0)),
          cols_(std::max(cols, 0)),
          block_(static_cast<std::size_t>(rows_) * static_cast<std::size_t>(cols_) * sizeof(Element))
    {
    }
    Grid(const Grid&) = delete;
    Grid& operator=(const Grid&) = delete;
    ~Grid() = default;

    int Rows() const { return rows_; }
    int Cols() const { return cols_; }
    std::size_t Size() const { return static_cast<std::size_t>(rows_) * static_cast<std::size_t>(cols_); }

    Element* Data() { return static_cast<Element*>(block_.Data()); }
    const Element* Data() const { return static_cast<const Element*>(block_.Data()); }
    Element* operator[](int row) { return Data() + static_cast<std::ptrdiff_t>(row) * cols_; }
    const Element* operator[](int row) const { return Data() + static_cast<std::ptrdiff_t>(row) * cols_; }

    GridView<Element> View() { return {Data(), rows_, cols_, cols_}; }
    GridView<const Element> View() const { return {Data(), rows_, cols_, cols_}; }

    void Swap(Grid& other) noexcept
    {
        std::swap(rows_, other.rows_);
        std::swap(cols_, other.cols_);
        std::swap(block_, other.block_);
    }

    // Copies the common top-left block into dest; returns the rows copied.
    int CopyTo(Grid& dest) const
    {
        const int commonRows = std::min(rows_, dest.rows_);
        const int commonCols = std::min(cols_, dest.cols_);
        for (int i = 0; i < commonRows; ++i) {
            std::copy_n((*this)[i], commonCols, dest[i]);
        }
        return commonRows;
    }

    // For a producer that writes every element: an unchanged shape keeps the
    // block (and its stale values); another frees it before allocating the
    // new one, so that the two never need memory at once.
    void Reshape(int rows, int cols)
    {
        if (rows == rows_ && cols == cols_) {
            return;
        }
        Grid<Element>(0, 0).Swap(*this);
        Grid<Element>(rows, cols).Swap(*this);
    }

    // Keeps the top-left block by position and zeroes the rest; an
    // unchanged shape keeps every element.
    void Resize(int rows, int cols)
    {
        if (rows == rows_ && cols == cols_) {
            return;
        }
        Grid reshaped(rows, cols);
        reshaped.Clear();
        CopyTo(reshaped);
        Swap(reshaped);
    }

    void Clear() { std::fill_n(Data(), Size(), Element{}); }

private:
    int rows_;
    int cols_;
    GridBlock block_;
};

class RealMatrixT : public Grid<double> {
public:
    using Grid::Grid;

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
// same shape: the layout the radix-2 transform works on.
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
    Grid<double> imaginary_;
};

class ComplexMatrix : public ComplexMatrixT {
public:
    using ComplexMatrixT::ComplexMatrixT;
};

// Complex values with real and imaginary parts interleaved: psi as NumPy,
// HDF5 and the file formats take it, written and handed over without a copy.
using ComplexGrid = Grid<std::complex<double>>;

class UcharMatrix : public Grid<std::uint8_t> {
public:
    using Grid::Grid;
};

}  // namespace nivaro
