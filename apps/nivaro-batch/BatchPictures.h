#pragma once

#include <QImage>
#include <string>
#include <vector>

#include "BatchOptions.h"
#include "StageTimings.h"

namespace nivaro {

class ProgressSink;
struct SimulationState;

// The 3D chart as the window shows it: the density's surface (with its
// trajectories when asked), the legend, nanometre labels unless grid blocks
// are asked for, the colour map, and laid out to fit the picture.
void WriteChart(const BatchOptions& options, const SimulationState& state, std::vector<std::string> legend,
                StageTimings& timings);
QImage ChartFrame(const BatchOptions& options, const SimulationState& state, std::vector<std::string> legend);

// The figure of options.figureView (computing the spectrum or Q it needs),
// written to the --figure file or drawn as a sweep's frame.
void WriteFigure(const BatchOptions& options, const SimulationState& state, std::vector<std::string> legend,
                 ProgressSink& progress, StageTimings& timings);
QImage FigureFrame(const BatchOptions& options, const SimulationState& state, std::vector<std::string> legend,
                   ProgressSink& progress);

}  // namespace nivaro
