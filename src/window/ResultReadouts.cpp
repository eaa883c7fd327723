#include "ResultReadouts.h"

#include <QRect>
#include <cmath>

#include "WindowTexts.h"
#include "engine/DensityGrid.h"
#include "engine/SpectrumTransform.h"
#include "engine/SurfaceData.h"

namespace nivaro {

ResultReadouts::ResultReadouts(const SimulationState& state, const DerivedResults& derived)
    : state_(state), derived_(derived)
{
}

QString ResultReadouts::SurfaceCell(double row, double column, bool quantumPotentialShown) const
{
    const SurfaceCellPosition cell = SurfaceCellAt(state_, row, column);
    const SimulationParameters& p = state_.parameters;
    return Formatted("x = %.1f nm (%.3f d), z = %.1f nm (%.3f zt), norm(PSI) = %.3e", cell.x * 1e9, cell.x / p.d,
                     cell.z * 1e9, cell.z / p.TalbotLength(), state_.densityField[cell.gridRow][cell.gridColumn]) +
           QuantumPotential(quantumPotentialShown, cell.gridRow, cell.gridColumn);
}

// u and v count the bins of the transform as it stores them.
QString ResultReadouts::SpectrumCell(double row, double column) const
{
    const int u = (2 * static_cast<int>(row) + kSpectrumSize) % kSpectrumSize;
    const int v = (2 * static_cast<int>(column) + kSpectrumSize) % kSpectrumSize;
    const SurfaceAxes axes = SpectrumSurfaceAxes(state_);
    return SpectrumBin(u, v, row * axes.xPerBlock, column * axes.zPerBlock);
}

std::optional<QString> ResultReadouts::SpectrumPixel(QPoint pixel) const
{
    if (!QRect(0, 0, kSpectrumSize, kSpectrumSize).contains(pixel)) {
        return std::nullopt;
    }
    const int half = kSpectrumSize / 2;
    const SurfaceAxes axes = SpectrumSurfaceAxes(state_);
    return SpectrumBin((pixel.y() + half) % kSpectrumSize, (pixel.x() + half) % kSpectrumSize,
                       (pixel.y() - half) * axes.xPerBlock / 2, (pixel.x() - half) * axes.zPerBlock / 2);
}

QString ResultReadouts::SpectrumBin(int u, int v, double fx, double fz) const
{
    return Formatted("FFT2: u = %d, v = %d, fx = %.4f 1/nm, fz = %.4f 1/nm, |F| = %.3e", u, v, fx * 1e-9, fz * 1e-9,
                     derived_.spectrum[u][v]);
}

std::optional<ResultReadouts::CarpetPoint> ResultReadouts::CarpetPixel(QPoint pixel, bool quantumPotentialShown) const
{
    const int x = pixel.x();
    const int y = pixel.y();
    if (y < 0 || y >= state_.carpetRed.Rows() || x < 0 || x >= state_.carpetRed.Cols()) {
        return std::nullopt;
    }
    const int red = state_.carpetRed[y][x];
    const int green = state_.carpetGreen[y][x];
    const int blue = state_.carpetBlue[y][x];
    const SimulationParameters& p = state_.parameters;
    const double xm = RowPosition(state_, y);
    const double zm = ColumnPosition(state_, x);
    const QString where = Formatted(" | x = %.1f nm (%.3f d), z = %.1f nm (%.3f zt), norm(PSI) = %.3e", xm * 1e9,
                                    xm / p.d, zm * 1e9, zm / p.TalbotLength(), state_.densityField[y][x]) +
                          QuantumPotential(quantumPotentialShown, y, x);
    const RealMatrixT& starts = state_.trajectoryStartGrid;
    const double start = y < starts.Rows() && x < starts.Cols() ? starts[y][x] : 0.0;
    const int startRow = static_cast<int>(start);
    if (startRow == 0) {
        return CarpetPoint{Formatted("x = %d, z = %d, RGB = %d:%d:%d", y, x, red, green, blue) + where};
    }
    const double xs = RowPosition(state_, startRow);
    return CarpetPoint{Formatted("x = %d, z = %d, RGB = %d:%d:%d, Start = %.2f (%.0f nm, %.03f d)", y, x, red, green,
                                 blue, start, xs * 1e9, xs / p.d) +
                           where,
                       startRow};
}

QString ResultReadouts::QuantumPotential(bool shown, int row, int column) const
{
    const RealMatrixT& q = derived_.quantumPotential;
    if (!shown || !derived_.HasQuantumPotential() || row < 0 || row >= q.Rows() || column < 0 || column >= q.Cols()) {
        return {};
    }
    const double value = q[row][column];
    return std::isnan(value) ? QStringLiteral(", Q = no value") : Formatted(", Q = %.4e eV", value);
}

}  // namespace nivaro
