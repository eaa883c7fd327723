#include "TChart.h"

#include <algorithm>

namespace nivaro {

void TChart::AddSeries(TChartSeries& series)
{
    series.SetParentChart(this);
    series_.push_back(&series);
    Invalidate();
}

void TChart::RemoveSeries(TChartSeries& series)
{
    const auto found = std::find(series_.begin(), series_.end(), &series);
    if (found != series_.end()) {
        series_.erase(found);
        series.SetParentChart(nullptr);
        Invalidate();
    }
}

void TChart::Invalidate() const
{
    if (AutoRepaint && invalidate_) {
        invalidate_();
    }
}

void TChart::SetLegendTitle(std::vector<std::string> lines)
{
    legendTitle_ = std::move(lines);
    Invalidate();
}

void TChart::SetLegendVisible(bool visible)
{
    if (visible != legendVisible_) {
        legendVisible_ = visible;
        Invalidate();
    }
}

}  // namespace nivaro
