#pragma once

#include <QPoint>
#include <QString>
#include <optional>

#include "engine/DerivedResults.h"
#include "engine/SimulationState.h"

namespace nivaro {

// What the status line says of the point under the mouse, read from the
// results shown: positions in nm, d and zt, the density and Q there, the
// carpet's colour and trajectory start, or the spectrum's frequencies.
class ResultReadouts {
public:
    ResultReadouts(const SimulationState& state, const DerivedResults& derived);

    // A cell of the density or Q surface, at the chart's row and column.
    QString SurfaceCell(double row, double column, bool quantumPotentialShown) const;
    // A cell of the spectrum's surface: a 2 by 2 block of the shifted
    // magnitudes.
    QString SpectrumCell(double row, double column) const;

    struct CarpetPoint {
        QString text;
        int hoveredStart = kNoHoveredStart;  // the start row of the trajectory there
    };
    // A pixel of the carpet; nothing outside it.
    std::optional<CarpetPoint> CarpetPixel(QPoint pixel, bool quantumPotentialShown) const;
    // A pixel of the spectrum's picture, zero frequency at its middle.
    std::optional<QString> SpectrumPixel(QPoint pixel) const;

private:
    // ", Q = ... eV" for a grid point when that view is on, else nothing.
    QString QuantumPotential(bool shown, int row, int column) const;
    QString SpectrumBin(int u, int v, double fx, double fz) const;

    const SimulationState& state_;
    const DerivedResults& derived_;
};

}  // namespace nivaro
