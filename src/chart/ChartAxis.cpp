#include "ChartAxis.h"

#include <algorithm>
#include <cmath>

#include "platform/RoundStep.h"
#include <limits>

#include "ChartRounding.h"
#include "ChartSeries.h"

namespace nivaro {
namespace {

constexpr int kTickSpace = 1 + 1 + 4;  // axis line width + 1 + tick length

// The next step of the 1-2-5 sequence.
double NextStep(double step)
{
    const double decade = std::pow(10.0, std::floor(std::log10(step)));
    const double mantissa = step / decade;
    if (mantissa < 2.0 - 1e-9) {
        return 2 * decade;
    }
    if (mantissa < 5.0 - 1e-9) {
        return 5 * decade;
    }
    return 10 * decade;
}

}  // namespace

void ChartAxis::AdjustMaxMin(const std::vector<ChartSeries*>& series)
{
    bool found = false;
    minimum_ = maximum_ = 0.0;
    for (const ChartSeries* s : series) {
        const auto* xyzSeries = dynamic_cast<const XyzSeries*>(s);
        if (!s->Active() || s->Count() == 0 || (kind_ == AxisKind::Depth && xyzSeries == nullptr)) {
            continue;
        }
        const ValueList& values = kind_ == AxisKind::Bottom ? s->XValues()
                                        : kind_ == AxisKind::Left ? s->YValues()
                                                                  : xyzSeries->ZValues();
        minimum_ = found ? std::min(minimum_, values.MinValue()) : values.MinValue();
        maximum_ = found ? std::max(maximum_, values.MaxValue()) : values.MaxValue();
        found = true;
    }
}

void ChartAxis::CalcPositions(const DeviceRect& chartRect, int chartDepth, int margin)
{
    switch (kind_) {
    case AxisKind::Bottom:
        start_ = chartRect.left + margin;
        end_ = chartRect.right - margin;
        break;
    case AxisKind::Left:
        start_ = chartRect.top + margin;
        end_ = chartRect.bottom - margin;
        break;
    case AxisKind::Depth:
        start_ = 0;
        end_ = chartDepth;
        break;
    }
    const double range = maximum_ - minimum_;
    pixelsPerUnit_ = range == 0.0 ? 0.0 : (end_ - start_) / range;
}

int ChartAxis::CalcPosValue(double value) const
{
    if (pixelsPerUnit_ == 0.0) {
        return (start_ + end_) / 2;
    }
    const double offset = Inverted ? maximum_ - value : value - minimum_;
    switch (kind_) {
    case AxisKind::Bottom:
        return start_ + Round(offset * pixelsPerUnit_);
    case AxisKind::Left:
        return end_ - Round(offset * pixelsPerUnit_);
    case AxisKind::Depth:
        break;
    }
    return Round(offset * pixelsPerUnit_);
}

std::string ChartAxis::FormatValue(double value)
{
    const long long thousandths = std::llround(std::abs(value) * 1000.0);
    const long long whole = thousandths / 1000;
    int fraction = static_cast<int>(thousandths % 1000);
    std::string digits = std::to_string(whole);
    for (int at = static_cast<int>(digits.size()) - 3; at > 0; at -= 3) {
        digits.insert(static_cast<std::size_t>(at), ",");
    }
    std::string decimals;
    if (fraction != 0) {
        decimals = std::to_string(fraction + 1000).substr(1);
        while (decimals.back() == '0') {
            decimals.pop_back();
        }
        decimals = "." + decimals;
    }
    const bool negative = value < 0 && thousandths != 0;
    return (negative ? "-" : "") + digits + decimals;
}

double ChartAxis::LabelIncrement() const
{
    const double span = std::abs(Increment * LabelScale);
    return LabelScale == 1.0 ? span : RoundStep(span);
}

int ChartAxis::WidestLabel(Canvas3D& canvas)
{
    canvas.SetFont(LabelsFont);
    const double low = LabelMinimum();
    const double high = LabelMaximum();
    std::vector<double> samples = {low, high, (low + high) / 2};
    if (Increment > 0) {
        samples.push_back(low + LabelIncrement());
        samples.push_back(high - LabelIncrement());
    }
    int widest = 0;
    for (const double label : samples) {
        widest = std::max(widest, kind_ == AxisKind::Left ? canvas.TextHeight("W") : canvas.TextWidth(FormatValue(label)));
    }
    return widest;
}

double ChartAxis::CalcIncrement(Canvas3D& canvas)
{
    const double range = LabelMaximum() - LabelMinimum();
    const int size = std::abs(end_ - start_);
    const int widest = WidestLabel(canvas);
    const int separation = LabelsSeparation > 0 ? Round(LabelsSeparation * 0.01 * widest) : 0;
    const int fit = size == 0 || widest == 0 ? 1 : std::max(1, Round(static_cast<double>(size) / (widest + separation)));
    double step = Increment > 0 ? LabelIncrement() : (range == 0.0 ? 1.0 : std::abs(range) / (fit + 1));
    if (LabelsSeparation >= 1) {
        while (Round(range / step) > fit && step <= range) {
            step = NextStep(step);
        }
    }
    return std::max(step, kMinAxisIncrement);
}

std::vector<double> ChartAxis::LabelValues(double step) const
{
    const double minimum = LabelMinimum();
    const double maximum = LabelMaximum();
    const double range = maximum - minimum;
    if (std::abs(range / step) >= 10000) {
        return {};
    }
    double first = std::trunc(maximum / step) * step;
    while (first > maximum) {
        first -= step;
    }
    if (range == 0.0 || std::abs(range) < 1e-10 || FormatValue(first) == FormatValue(first - step)) {
        return {first};
    }
    const double lowest = minimum < 0 ? minimum : (minimum - 1e-12) / (1 + 1e-12);
    std::vector<double> values;
    for (double value = first; value >= lowest && values.size() < 10000; value -= step) {
        values.push_back(value);
    }
    return values;
}

int ChartAxis::LabelSize(Canvas3D& canvas)
{
    if (!LabelsVisible) {
        return 0;
    }
    canvas.SetFont(LabelsFont);
    if (kind_ == AxisKind::Bottom) {
        return canvas.TextHeight("W");
    }
    return WidestLabel(canvas);
}

void ChartAxis::ReduceChartRect(Canvas3D& canvas, DeviceRect& chartRect)
{
    if (!Visible) {
        return;
    }
    canvas.SetFont(TitleFont);
    const int titleSize = Title.empty() ? 0 : canvas.TextHeight(Title);
    const int labelSize = LabelSize(canvas);
    // The bottom axis lies in the floor, which the elevation foreshortens:
    // its title keeps two labels' room from them so that it clears them on
    // screen. Titles in physical units are long and get a label's room more
    // on the depth axis too.
    const int gap = kind_ == AxisKind::Bottom ? 2 * labelSize : (LabelScale == 1.0 ? 0 : labelSize);
    if (kind_ == AxisKind::Bottom) {
        chartRect.bottom -= titleSize + labelSize + gap + kTickSpace;
        linePosition_ = chartRect.bottom;
        labelsPosition_ = linePosition_ + kTickSpace;
        titlePosition_ = labelsPosition_ + labelSize + gap;
    } else {
        chartRect.right -= titleSize + labelSize + gap + kTickSpace;
        linePosition_ = chartRect.right;
        labelsPosition_ = linePosition_ + kTickSpace;
        titlePosition_ = labelsPosition_ + labelSize + gap;
    }
}

void ChartAxis::DrawLine(Canvas3D& canvas, const DeviceRect& chartRect, int chartDepth)
{
    if (!Visible) {
        return;
    }
    canvas.SetBrush({0, BrushStyle::Clear});
    canvas.SetPen({0, 1, PenStyle::Solid});
    const bool bottom = kind_ == AxisKind::Bottom;
    if (bottom) {
        canvas.HorizLine3D(chartRect.left, chartRect.right, linePosition_, 0);
    } else {
        canvas.ZLine3D(linePosition_, chartRect.bottom, 0, chartDepth);
    }
    for (const double label : LabelValues(CalcIncrement(canvas))) {
        const int at = CalcPosValue(ValueOf(label));
        if (bottom) {
            canvas.VertLine3D(at, linePosition_ + 1, linePosition_ + 1 + TickLength, 0);
        } else {
            canvas.HorizLine3D(linePosition_ + 1, linePosition_ + 1 + TickLength, chartRect.bottom, at);
        }
    }
}

// The floor's axis runs aslant on screen: its title ends at the middle on the
// side where the labels rise away from it, so that it never runs into them.
TextAlignment ChartAxis::BottomTitleAlignment(const Canvas3D& canvas) const
{
    const int middle = (start_ + end_) / 2;
    const int rightY = canvas.Calc3DPos(std::max(start_, end_), titlePosition_, 0).y;
    const int middleY = canvas.Calc3DPos(middle, titlePosition_, 0).y;
    if (rightY > middleY + 2) {
        return TextAlignment::Right;
    }
    return rightY < middleY - 2 ? TextAlignment::Left : TextAlignment::Center;
}

void ChartAxis::DrawText(Canvas3D& canvas, const DeviceRect& chartRect, int chartDepth)
{
    if (!Visible) {
        return;
    }
    const bool bottom = kind_ == AxisKind::Bottom;
    if (LabelsVisible) {
        const std::vector<double> values = LabelValues(CalcIncrement(canvas));
        canvas.SetFont(LabelsFont);
        canvas.SetTextAlign(bottom ? TextAlignment::Center : TextAlignment::Left);
        for (const double label : values) {
            const int at = CalcPosValue(ValueOf(label));
            if (bottom) {
                canvas.TextOut3D(at, labelsPosition_, 0, FormatValue(label));
            } else {
                canvas.TextOut3D(labelsPosition_, chartRect.bottom, at, FormatValue(label));
            }
        }
    }
    if (!Title.empty()) {
        canvas.SetFont(TitleFont);
        canvas.SetTextAlign(bottom ? BottomTitleAlignment(canvas) : TextAlignment::Left);
        if (bottom) {
            canvas.TextOut3D((start_ + end_) / 2, titlePosition_, 0, Title);
        } else {
            canvas.TextOut3D(titlePosition_, chartRect.bottom, chartDepth / 2, Title);
        }
    }
    canvas.SetTextAlign(TextAlignment::Left);
}

}  // namespace nivaro
