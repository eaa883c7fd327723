#pragma once

#include <complex>
#include <cstddef>
#include <string>
#include <vector>

#include "numeric/Matrices.h"

namespace nivaro {

// Columns the kernel computes together: its unit of work, of progress and of
// stopping.
inline constexpr int kDensityTileColumns = 16;

// The vector library's version and the instruction set the kernel runs on.
std::string VectorLibraryVersion();

// Everything the kernel needs about the grid, with the per-column
// quantities of the slit sum laid out for vector loads. The column arrays
// hold a multiple of kDensityTileColumns entries; columns past nz repeat the
// last one.
struct DensityKernelInput {
    std::vector<double> gaussRe;   // A(z) per column
    std::vector<double> gaussIm;
    std::vector<double> factorRe;  // F(z) per column
    std::vector<double> factorIm;
    std::vector<double> slitOffsets;  // u = x + offset for each slit, in the order the direct sum visits them
    double slitPeriod = 0.0;          // d, the step from one offset to the next
    int nx = 0;
    int nz = 0;
    // Rows 0 .. rowsWanted - 1 are computed and stored; the rest of a column
    // is left alone. Row values do not depend on it.
    int rowsWanted = 0;
    double firstRowX = 0.0;    // x of row 0
    double rowSpacing = 0.0;   // x(i + 1) - x(i)
    double normalisation = 1.0;
};

// Working memory of one thread, reused from tile to tile.
class DensityKernelScratch {
public:
    explicit DensityKernelScratch(int slits);
    double* Data() { return values_.data(); }

private:
    std::vector<double> values_;
};

// Where the kernel stores its values; an empty view is not stored, so that
// a density-only run keeps no psi beyond the tile it works on.
// Column 0 of the views is grid column firstColumn, so that a block of
// columns can be computed into a buffer of its own width.
struct DensityKernelOutput {
    GridView<std::complex<double>> psi;
    GridView<double> density;
    int firstColumn = 0;
    // The density is added to what the view holds instead of stored: the
    // samples of a partially coherent beam are summed in place.
    bool addToDensity = false;
};

// psi and norm(PSI) of the columns firstColumn .. firstColumn + count - 1,
// written into every wanted row; row nx - i takes the values of row i.
void ComputeDensityTile(const DensityKernelInput& input, int firstColumn, int count, DensityKernelScratch& scratch,
                        const DensityKernelOutput& output);

}  // namespace nivaro
