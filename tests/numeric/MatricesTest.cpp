#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>

#include "numeric/Matrices.h"

namespace nivaro {
namespace {

void FillWithIndices(RealMatrixT& matrix)
{
    for (int i = 0; i < matrix.Rows(); ++i) {
        for (int j = 0; j < matrix.Cols(); ++j) {
            matrix[i][j] = i * 1000.0 + j + 1;
        }
    }
}

TEST(Matrices, OneAlignedContiguousBlockPerGridAndZeroRowsOwnNothing)
{
    for (const int cols : {5, 1000}) {  // a small block, and one advised for huge pages
        RealMatrixT grid(700, cols);
        EXPECT_EQ(reinterpret_cast<std::uintptr_t>(grid.Data()) % 64, 0u);
        EXPECT_EQ(grid[699], grid.Data() + 699 * cols) << "rows follow each other";
        const GridView<double> view = grid.View();
        EXPECT_EQ(view.stride, cols);
        view(3, 4) = 7.0;
        EXPECT_EQ(grid[3][4], 7.0);
        grid.Clear();
        EXPECT_EQ(grid[699][cols - 1], 0.0);
    }
    RealMatrixT empty(0, 7);
    EXPECT_EQ(empty.Rows(), 0);
    EXPECT_EQ(empty.Cols(), 7);
    EXPECT_EQ(empty.Data(), nullptr);
    empty.Resize(0, 7);  // unchanged shape: nothing happens
    empty.Clear();
}

TEST(Matrices, ReshapeKeepsTheBlockOfAnUnchangedShapeAndReplacesAnother)
{
    RealMatrixT grid(30, 20);
    const double* block = grid.Data();
    grid.Reshape(30, 20);
    EXPECT_EQ(grid.Data(), block);
    grid.Reshape(20, 30);
    EXPECT_EQ(grid.Rows(), 20);
    EXPECT_EQ(grid.Cols(), 30);
    grid.Reshape(0, 0);
    EXPECT_EQ(grid.Data(), nullptr);
}

TEST(Matrices, ResizeToTheSameShapeKeepsStaleValues)
{
    RealMatrixT matrix(4, 3);
    FillWithIndices(matrix);
    const double* firstRow = matrix[0];
    matrix.Resize(4, 3);
    EXPECT_EQ(matrix[0], firstRow);
    EXPECT_EQ(matrix[3][2], 3003.0);
}

TEST(Matrices, ResizeKeepsTheTopLeftBlockByPosition)
{
    RealMatrixT matrix(300, 300);
    FillWithIndices(matrix);
    matrix.Resize(400, 200);
    ASSERT_EQ(matrix.Rows(), 400);
    ASSERT_EQ(matrix.Cols(), 200);
    EXPECT_EQ(matrix[299][199], 299 * 1000.0 + 200);
    EXPECT_EQ(matrix[0][0], 1.0);
    for (int i = 300; i < 400; ++i) {
        for (int j = 0; j < 200; ++j) {
            ASSERT_EQ(matrix[i][j], 0.0) << i << "," << j;
        }
    }
}

TEST(Matrices, CopyToCopiesOnlyTheCommonBlock)
{
    RealMatrixT source(3, 5);
    FillWithIndices(source);
    RealMatrixT destination(4, 2);
    destination.Clear();
    EXPECT_EQ(source.CopyTo(destination), 3);
    EXPECT_EQ(destination[2][1], 2002.0);
    EXPECT_EQ(destination[3][0], 0.0);
}

TEST(Matrices, SwapExchangesStorageWithoutTouchingElements)
{
    RealMatrixT a(2, 3);
    RealMatrixT b(5, 1);
    FillWithIndices(a);
    const double* aRow = a[0];
    a.Swap(b);
    EXPECT_EQ(a.Rows(), 5);
    EXPECT_EQ(b.Rows(), 2);
    EXPECT_EQ(b.Cols(), 3);
    EXPECT_EQ(b[0], aRow);
}

TEST(Matrices, ScaleByOneIsBitIdenticalAndScaleMultiplies)
{
    RealMatrixT matrix(1, 4);
    const double values[] = {0.1, -3.0e-300, 4.9e-324, 1.7976931348623157e308};
    std::copy(values, values + 4, matrix[0]);
    matrix.Scale(1.0);
    for (int j = 0; j < 4; ++j) {
        EXPECT_EQ(std::memcmp(&matrix[0][j], &values[j], sizeof(double)), 0);
    }
    matrix.Scale(0.5);
    EXPECT_EQ(matrix[0][0], 0.05);
}

TEST(Matrices, MaxElementUsesAStrictComparisonFromTheFirstElement)
{
    RealMatrixT zeros(3, 3);
    zeros.Clear();
    EXPECT_EQ(zeros.MaxElement(), 0.0);

    RealMatrixT signedZeros(1, 2);
    signedZeros[0][0] = -0.0;
    signedZeros[0][1] = 0.0;
    EXPECT_TRUE(std::signbit(signedZeros.MaxElement())) << "an equal later element must not replace the first";

    RealMatrixT negatives(2, 2);
    negatives[0][0] = -5;
    negatives[0][1] = -7;
    negatives[1][0] = -2;
    negatives[1][1] = -9;
    EXPECT_EQ(negatives.MaxElement(), -2.0);
}

TEST(Matrices, ComplexOperationsTreatBothPlanes)
{
    ComplexMatrixT matrix(3, 3);
    for (int i = 0; i < 3; ++i) {
        for (int j = 0; j < 3; ++j) {
            matrix.Re(i)[j] = i * 10 + j;
            matrix.Im(i)[j] = -(i * 10 + j);
        }
    }
    matrix.Transpose();
    EXPECT_EQ(matrix.Re(0)[2], 20.0);
    EXPECT_EQ(matrix.Im(2)[0], -2.0);
    EXPECT_EQ(matrix.Re(1)[1], 11.0);

    matrix.Resize(4, 2);
    EXPECT_EQ(matrix.Re(2)[1], 12.0);
    EXPECT_EQ(matrix.Im(2)[1], -12.0);
    EXPECT_EQ(matrix.Im(3)[0], 0.0);

    ComplexMatrixT other(1, 1);
    other.Clear();
    EXPECT_EQ(matrix.CopyTo(other), 1);
    EXPECT_EQ(other.Im(0)[0], 0.0);
    other.Swap(matrix);
    EXPECT_EQ(other.Rows(), 4);
    EXPECT_EQ(other.Im(2)[1], -12.0);

    other.Clear();
    EXPECT_EQ(other.Re(2)[1], 0.0);
    EXPECT_EQ(other.Im(2)[1], 0.0);
}

}  // namespace
}  // namespace nivaro
