#pragma once

#include <string>
#include <vector>

#include "chart/ColourMap.h"
#include "engine/DerivedResults.h"
#include "engine/SimulationState.h"
#include "engine/SurfaceData.h"
#include "figure/Figure.h"
#include "figure/SurfaceLabels.h"

namespace nivaro {

class ColourBar;
class MainChart;

// Q's colours on the bar, over its clip range.
void ScaleColourBarToQuantumPotential(ColourBar& bar, const ValueRange& range, ColourMapKind kind);

// What the 3D page's surface shows of the results: the density with its
// trajectories, Q or the spectrum, each with its legend, axis labels and
// colour bar. The chart is to be fitted anew after each change.
class SurfaceContent {
public:
    SurfaceContent(MainChart& chart, const SimulationState& state, const DerivedResults& derived);

    // legend: the echo of the settings, over the surface's own line.
    void ShowDensity(const DensitySurface& surface, std::vector<std::string> legend);
    // Q of the results, which must be complete.
    void ShowQuantumPotential(std::vector<std::string> legend);
    // The spectrum of the results, its height on a logarithmic scale or not.
    void ShowSpectrum(std::vector<std::string> legend, SpectrumHeight height);
    SurfaceKind Kind() const { return kind_; }

    // The axis labels in nanometres (1/nm for the spectrum) or in grid
    // blocks.
    void Relabel(bool nanometres);
    // The surface's palette, or Q's colours, against its values.
    FigureColourScale ColourScale() const;

private:
    MainChart& chart_;
    const SimulationState& state_;
    const DerivedResults& derived_;
    SurfaceKind kind_ = SurfaceKind::Density;
    SpectrumHeight spectrumHeight_ = SpectrumHeight::Logarithmic;
    bool nanometres_ = true;
};

}  // namespace nivaro
