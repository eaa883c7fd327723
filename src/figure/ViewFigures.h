#pragma once

#include <QImage>
#include <string>

#include "chart/ColourMap.h"
#include "engine/DerivedResults.h"
#include "engine/SimulationState.h"
#include "engine/SurfaceData.h"
#include "figure/Figure.h"
#include "figure/SurfaceLabels.h"

namespace nivaro {

class MainChart;

// The figures of the views, as the window shows them and the batch writes
// them, each with its axes in nanometres and its colour scale.

// The chart's surface colours over its heights; the P-scale's cut, when it
// cut anything, is marked as clipped. A spectrum is titled by its height.
FigureColourScale SurfaceColourScale(MainChart& chart, const SimulationState& state, SurfaceKind kind,
                                     const DerivedResults& derived,
                                     SpectrumHeight height = SpectrumHeight::Logarithmic);
// Q's colours over its clip range.
FigureColourScale QuantumPotentialScale(const ValueRange& range, ColourMapKind kind);
// The carpet's grey over norm(PSI), after its contrast and P-scale.
FigureColourScale CarpetScale(const SimulationState& state, int contrast);
// The spectrum's colours over six decades below its largest magnitude.
FigureColourScale SpectrumScale(ColourMapKind kind);

// The chart with the scale of what its surface shows.
Figure ChartFigure(MainChart& chart, FigureColourScale scale);
// picture: the carpet as shown (grey or Q, with any paths), row i grid row i.
Figure CarpetFigure(const SimulationState& state, const QImage& picture, FigureColourScale scale);
Figure SpectrumFigure(const SimulationState& state, const RealMatrixT& spectrum, ColourMapKind kind);

// One line of the settings that make a figure, for its title: slits,
// lambda, d, the slit width and the Talbot length zt.
std::string SettingsTitle(const SimulationState& state);

}  // namespace nivaro
