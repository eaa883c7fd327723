#include "SurfaceContent.h"

#include <algorithm>
#include <cmath>

#include "ColourBar.h"
#include "QuantumPotentialMap.h"
#include "WindowTexts.h"
#include "chart/MainChart.h"
#include "engine/SpectrumTransform.h"
#include "platform/QPainterDevice.h"

namespace nivaro {

void ScaleColourBarToQuantumPotential(ColourBar& bar, const ValueRange& range)
{
    const DivergingMap colours(range);
    bar.SetScale(colours, colours.Lowest(), colours.Highest(), QStringLiteral("Q [eV]"));
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
    const DivergingMap colours(*derived_.quantumPotentialRange);
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

void SurfaceContent::ShowSpectrum(std::vector<std::string> legend)
{
    kind_ = SurfaceKind::Spectrum;
    chart_.FillSurface(kSpectrumSize / 2, kSpectrumSize / 2,
                       SpectrumSurfacePoints(derived_.spectrum, state_.scaleP.Factor()));
    legend.push_back("FFT2");
    chart_.Plot().SetLegendTitle(std::move(legend));
    Relabel(nanometres_);
}

void SurfaceContent::Relabel(bool nanometres)
{
    nanometres_ = nanometres;
    ChartAxis& across = chart_.Plot().BottomAxis;
    ChartAxis& along = chart_.Plot().DepthAxis;
    if (!nanometres) {
        across.LabelScale = along.LabelScale = 1.0;
        along.LabelOffset = 0.0;
        across.Title = "X";
        along.Title = "Z";
    } else if (kind_ == SurfaceKind::Spectrum) {
        const SurfaceAxes axes = SpectrumSurfaceAxes(state_);
        across.LabelScale = axes.xPerBlock * 1e-9;
        along.LabelScale = axes.zPerBlock * 1e-9;
        along.LabelOffset = 0.0;
        across.Title = "fx [1/nm]";
        along.Title = "fz [1/nm]";
    } else {
        const SurfaceAxes axes = DensitySurfaceAxes(state_);
        const SimulationParameters& p = state_.parameters;
        across.LabelScale = axes.xPerBlock * 1e9;
        along.LabelScale = axes.zPerBlock * 1e9;
        along.LabelOffset = axes.zAtZero * 1e9;
        across.Title = Formatted("x [nm]   (d = %.4g nm)", p.d * 1e9).toStdString();
        along.Title = Formatted("z [nm]   (zt = %.4g nm)", p.TalbotLength() * 1e9).toStdString();
    }
}

void SurfaceContent::ScaleColourBar(ColourBar& bar) const
{
    if (kind_ == SurfaceKind::QuantumPotential && derived_.HasQuantumPotential()) {
        ScaleColourBarToQuantumPotential(bar, *derived_.quantumPotentialRange);
        return;
    }
    const SurfaceSeries& surface = chart_.Surface();
    const ValueList& heights = surface.YValues();
    const double lowest = heights.Count() > 0 ? heights.MinValue() : 0.0;
    const double highest = heights.Count() > 0 ? heights.MaxValue() : 0.0;
    bar.SetScale([&surface, lowest, highest](double value) { return ToQColor(surface.ColourInSpan(value, lowest, highest)); },
                 lowest, highest, kind_ == SurfaceKind::Spectrum ? QStringLiteral("|F|") : QStringLiteral("norm(PSI)"));
}

}  // namespace nivaro
