#include "SurfaceContent.h"

#include <algorithm>
#include <cmath>

#include "ColourBar.h"
#include "chart/MainChart.h"
#include "engine/SpectrumTransform.h"
#include "figure/QuantumPotentialMap.h"
#include "figure/SpectrumPicture.h"
#include "figure/ViewFigures.h"
#include "platform/QPainterDevice.h"

namespace nivaro {

void ScaleColourBarToQuantumPotential(ColourBar& bar, const ValueRange& range, ColourMapKind kind)
{
    bar.SetScale(QuantumPotentialScale(range, kind));
}

SurfaceContent::SurfaceContent(MainChart& chart, const SimulationState& state, const DerivedResults& derived)
    : chart_(chart), state_(state), derived_(derived)
{
}

void SurfaceContent::ShowDensity(const DensitySurface& surface, std::vector<std::string> legend)
{
    kind_ = SurfaceKind::Density;
    const SurfaceBlockCounts counts = SurfaceBlocks(state_.grid);
    chart_.FillSurface(counts.x, counts.z, surface.blocks);
    if (surface.trajectories) {
        chart_.AddTrajectories(*surface.trajectories);
    }
    chart_.Plot().SetLegendTitle(std::move(legend));
    Relabel(nanometres_);
}

// Q at the middle of each surface block, within the clip range; a block
// without a value lies flat and grey.
void SurfaceContent::ShowQuantumPotential(std::vector<std::string> legend)
{
    kind_ = SurfaceKind::QuantumPotential;
    const DivergingMap colours(*derived_.quantumPotentialRange, chart_.ColourMap());
    std::vector<SurfacePoint> points = SurfaceBlockCentres(state_, derived_.quantumPotential);
    std::vector<QColor> pointColours;
    for (SurfacePoint& point : points) {
        pointColours.push_back(colours(point.y));
        point.y = std::isnan(point.y) ? 0.0 : std::clamp(point.y, colours.Lowest(), colours.Highest());
    }
    const SurfaceBlockCounts counts = SurfaceBlocks(state_.grid);
    chart_.FillSurface(counts.x, counts.z, points);
    for (std::size_t k = 0; k < pointColours.size(); ++k) {
        const QColor& c = pointColours[k];
        chart_.Surface().SetValueColor(static_cast<int>(k), RgbColor(c.red(), c.green(), c.blue()));
    }
    legend.push_back("Q [eV]");
    chart_.Plot().SetLegendTitle(std::move(legend));
    Relabel(nanometres_);
}

void SurfaceContent::ShowSpectrum(std::vector<std::string> legend, SpectrumHeight height)
{
    kind_ = SurfaceKind::Spectrum;
    spectrumHeight_ = height;
    chart_.FillSurface(kSpectrumSize / 2, kSpectrumSize / 2,
                       SpectrumSurfacePoints(derived_.spectrum, state_.scaleP.Factor(), height, kSpectrumDecades));
    legend.push_back("FFT2");
    chart_.Plot().SetLegendTitle(std::move(legend));
    Relabel(nanometres_);
}

void SurfaceContent::Relabel(bool nanometres)
{
    nanometres_ = nanometres;
    LabelSurfaceAxes(chart_.Plot(), state_, kind_, nanometres);
}

FigureColourScale SurfaceContent::ColourScale() const
{
    return SurfaceColourScale(chart_, state_, kind_, derived_, spectrumHeight_);
}

}  // namespace nivaro
