#pragma once

#include <algorithm>
#include <string>
#include <vector>

#include "chart/Canvas3D.h"

namespace nivaro {

class ChartSeries;

enum class AxisKind { Bottom, Left, Depth };

// One axis of the chart: it scales automatically to the values of the
// active series, maps values to pixels (the fast, unchecked functions) and
// draws its line, ticks, labels and title.
class ChartAxis {
public:
    static constexpr double kMinAxisIncrement = 1e-12;

    explicit ChartAxis(AxisKind kind) : kind_(kind) {}

    AxisKind Kind() const { return kind_; }
    bool Visible = true;
    bool LabelsVisible = true;
    bool Inverted = false;
    double Increment = 0.0;
    int LabelsSeparation = 10;
    int TickLength = 4;
    std::string Title;
    DeviceFont LabelsFont{kSansFontFamily, 12, false, 0};
    DeviceFont TitleFont{kSansFontFamily, 12, false, 0};
    // The labels show LabelScale * value + LabelOffset (physical units for
    // values in grid blocks); ticks go to round label values.
    double LabelScale = 1.0;
    double LabelOffset = 0.0;

    // The minimum and maximum of the series values on this axis (X for the
    // bottom axis, Y for the left one, Z for the depth axis); 0 and 0 without
    // points.
    void AdjustMaxMin(const std::vector<ChartSeries*>& series);
    double Minimum() const { return minimum_; }
    double Maximum() const { return maximum_; }

    // The pixel span from the chart rectangle (or the chart depth), inset by
    // the margins the series ask for.
    void CalcPositions(const DeviceRect& chartRect, int chartDepth, int margin);
    int StartPos() const { return start_; }
    int EndPos() const { return end_; }
    int CalcPosValue(double value) const;

    // Takes the space of the title, the labels and the ticks off the chart
    // rectangle on the axis' side and remembers where they go.
    void ReduceChartRect(Canvas3D& canvas, DeviceRect& chartRect);

    // The step between labels and the labels, in label units.
    double CalcIncrement(Canvas3D& canvas);
    std::vector<double> LabelValues(double step) const;
    // "#,##0.###": thousands grouped, up to three decimals.
    static std::string FormatValue(double value);

    // The line and its ticks go behind the series, the labels and the title
    // over them, so that no surface hides what its axis says.
    void DrawLine(Canvas3D& canvas, const DeviceRect& chartRect, int chartDepth);
    void DrawText(Canvas3D& canvas, const DeviceRect& chartRect, int chartDepth);

private:
    TextAlignment BottomTitleAlignment(const Canvas3D& canvas) const;
    double LabelOf(double value) const { return LabelScale * value + LabelOffset; }
    double ValueOf(double label) const { return (label - LabelOffset) / LabelScale; }
    double LabelMinimum() const { return std::min(LabelOf(minimum_), LabelOf(maximum_)); }
    double LabelMaximum() const { return std::max(LabelOf(minimum_), LabelOf(maximum_)); }
    // A fixed Increment is in axis values; its label span then rounds to
    // the 1-2-5 sequence like a free one.
    double LabelIncrement() const;
    int LabelSize(Canvas3D& canvas);
    int WidestLabel(Canvas3D& canvas);

    AxisKind kind_;
    double minimum_ = 0.0;
    double maximum_ = 0.0;
    int start_ = 0;
    int end_ = 0;
    double pixelsPerUnit_ = 0.0;
    int linePosition_ = 0;
    int labelsPosition_ = 0;
    int titlePosition_ = 0;
};

}  // namespace nivaro
