#pragma once

#include "chart/Chart.h"
#include "platform/DrawingDevice.h"

namespace nivaro {

// The largest zoom (percent, within limits) at which everything the chart
// draws after its legend (axes, labels, titles, series), moved to the middle
// of the chart, stays inside it (a few pixels clear of its frame) and clear
// of the legend. Measures the chart's outline (no series, no pixels) with
// device's fonts some forty times, which costs less than one paint, and
// leaves the chart at the zoom and offsets found; rotation, elevation and
// perspective stay.
double FitZoom(Chart& chart, DrawingDevice& device);

inline constexpr double kSmallestFitZoom = 5.0;
inline constexpr double kLargestFitZoom = 200.0;

}  // namespace nivaro
