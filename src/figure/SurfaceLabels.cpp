#include "SurfaceLabels.h"

#include <cstdio>

#include "chart/Chart.h"
#include "engine/SurfaceData.h"

namespace nivaro {

std::string ShortNumber(double value)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.4g", value);
    return text;
}

void LabelSurfaceAxes(Chart& chart, const SimulationState& state, SurfaceKind kind, bool nanometres)
{
    ChartAxis& across = chart.BottomAxis;
    ChartAxis& along = chart.DepthAxis;
    if (!nanometres) {
        across.LabelScale = along.LabelScale = 1.0;
        along.LabelOffset = 0.0;
        across.Title = "X";
        along.Title = "Z";
    } else if (kind == SurfaceKind::Spectrum) {
        const SurfaceAxes axes = SpectrumSurfaceAxes(state);
        across.LabelScale = axes.xPerBlock * 1e-9;
        along.LabelScale = axes.zPerBlock * 1e-9;
        along.LabelOffset = 0.0;
        across.Title = "fx [1/nm]";
        along.Title = "fz [1/nm]";
    } else {
        const SurfaceAxes axes = DensitySurfaceAxes(state);
        const SimulationParameters& p = state.parameters;
        across.LabelScale = axes.xPerBlock * 1e9;
        along.LabelScale = axes.zPerBlock * 1e9;
        along.LabelOffset = axes.zAtZero * 1e9;
        across.Title = "x [nm]   (d = " + ShortNumber(p.d * 1e9) + " nm)";
        along.Title = "z [nm]   (zt = " + ShortNumber(p.TalbotLength() * 1e9) + " nm)";
    }
}

}  // namespace nivaro
