#include "ViewFigures.h"

#include <algorithm>
#include <cmath>

#include "carpet/CarpetPixels.h"
#include "chart/MainChart.h"
#include "engine/DensityGrid.h"
#include "engine/SurfaceData.h"
#include "engine/SpectrumTransform.h"
#include "QuantumPotentialMap.h"
#include "SpectrumPicture.h"
#include "platform/QPainterDevice.h"

namespace nivaro {
namespace {

std::string SurfaceTitle(SurfaceKind kind, SpectrumHeight height)
{
    switch (kind) {
    case SurfaceKind::QuantumPotential:
        return "Q [eV]";
    case SurfaceKind::Spectrum:
        return height == SpectrumHeight::Logarithmic ? "log10(|F| / |F|max)" : "|F|";
    case SurfaceKind::Density:
        break;
    }
    return "norm(PSI)";
}

}  // namespace

FigureColourScale SurfaceColourScale(MainChart& chart, const SimulationState& state, SurfaceKind kind,
                                     const DerivedResults& derived, SpectrumHeight height)
{
    if (kind == SurfaceKind::QuantumPotential && derived.HasQuantumPotential()) {
        return QuantumPotentialScale(*derived.quantumPotentialRange, chart.ColourMap());
    }
    const SurfaceSeries& surface = chart.Surface();
    const ValueList& heights = surface.YValues();
    const double lowest = heights.Count() > 0 ? heights.MinValue() : 0.0;
    const double highest = heights.Count() > 0 ? heights.MaxValue() : 0.0;
    FigureColourScale scale{
        [&surface, lowest, highest](double value) { return ToQColor(surface.ColourInSpan(value, lowest, highest)); },
        lowest, highest, SurfaceTitle(kind, height), std::nullopt};
    if (state.scaleP.Factor() > 1 && kind != SurfaceKind::QuantumPotential) {
        scale.clippedAbove = highest;
    }
    return scale;
}

FigureColourScale QuantumPotentialScale(const ValueRange& range, ColourMapKind kind)
{
    const DivergingMap colours(range, kind);
    return {colours, colours.Lowest(), colours.Highest(), "Q [eV]", std::nullopt};
}

FigureColourScale CarpetScale(const SimulationState& state, int contrast)
{
    const RealMatrixT& density = state.densityField;
    const double largest = density.Rows() > 0 && density.Cols() > 0 ? density.MaxElement() : 0.0;
    const double scaleP = state.scaleP.Factor();
    const CarpetGreyScale grey(largest, contrast, scaleP);
    FigureColourScale scale{[grey](double value) {
                                const int level = grey.Level(std::max(0.0, value));
                                return QColor(level, level, level);
                            },
                            0.0, largest, "norm(PSI)", std::nullopt};
    if (scaleP > 1) {
        scale.highest = largest / std::pow(scaleP, std::pow(2.0, std::max(0, contrast)));
        scale.clippedAbove = scale.highest;
    }
    return scale;
}

FigureColourScale SpectrumScale(ColourMapKind kind)
{
    const ColourMapKind shown = SpectrumMap(kind);
    return {[shown](double value) { return ToQColor(ColourMapAt(shown, 1 + value / kSpectrumDecades)); },
            -kSpectrumDecades, 0.0, SurfaceTitle(SurfaceKind::Spectrum, SpectrumHeight::Logarithmic), std::nullopt};
}

Figure ChartFigure(MainChart& chart, FigureColourScale scale)
{
    Figure figure;
    figure.chart = &chart.Plot();
    figure.colourScale = std::move(scale);
    return figure;
}

// Shown with x rising upwards, as a physicist draws it.
Figure CarpetFigure(const SimulationState& state, const QImage& picture, FigureColourScale scale)
{
    const SimulationParameters& p = state.parameters;
    Figure figure;
    figure.picture = picture.mirrored(false, true);
    figure.horizontal = {ColumnPosition(state, -0.5) * 1e9, ColumnPosition(state, state.grid.nz - 0.5) * 1e9,
                         "z [nm]   (zt = " + ShortNumber(p.TalbotLength() * 1e9) + " nm)"};
    figure.vertical = {RowPosition(state, -0.5) * 1e9, RowPosition(state, state.grid.nx - 0.5) * 1e9,
                       "x [nm]   (d = " + ShortNumber(p.d * 1e9) + " nm)"};
    figure.colourScale = std::move(scale);
    return figure;
}

Figure SpectrumFigure(const SimulationState& state, const RealMatrixT& spectrum, ColourMapKind kind)
{
    const SurfaceAxes axes = SpectrumSurfaceAxes(state);
    const double fxPerBin = axes.xPerBlock / 2 * 1e-9;
    const double fzPerBin = axes.zPerBlock / 2 * 1e-9;
    const double rows = spectrum.Rows();
    const double columns = spectrum.Cols();
    Figure figure;
    figure.picture = SpectrumPicture(spectrum, kind).mirrored(false, true);
    figure.horizontal = {-(columns / 2 + 0.5) * fzPerBin, (columns / 2 - 0.5) * fzPerBin, "fz [1/nm]"};
    figure.vertical = {-(rows / 2 + 0.5) * fxPerBin, (rows / 2 - 0.5) * fxPerBin, "fx [1/nm]"};
    figure.colourScale = SpectrumScale(kind);
    return figure;
}

std::string SettingsTitle(const SimulationState& state)
{
    const SimulationParameters& p = state.parameters;
    return std::to_string(p.slits) + " slits,  lambda = " + ShortNumber(p.lambda * 1e9) + " nm,  d = " +
           ShortNumber(p.d * 1e9) + " nm,  slit width = " + ShortNumber(p.slitWidth * 1e9) +
           " nm,  zt = " + ShortNumber(p.TalbotLength() * 1e9) + " nm";
}

}  // namespace nivaro
