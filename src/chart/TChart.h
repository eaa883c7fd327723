#pragma once

#include <functional>
#include <string>
#include <vector>

#include "chart/TChartSeries.h"

namespace nivaro {

// The chart: the list of its series (owned elsewhere), the legend and the
// repaint requests. A repaint request only tells the host to invalidate its
// window, and is ignored while AutoRepaint is off.
class TChart {
public:
    void AddSeries(TChartSeries& series);
    void RemoveSeries(TChartSeries& series);
    int SeriesCount() const { return static_cast<int>(series_.size()); }
    TChartSeries& GetSeries(int index) const { return *series_[static_cast<std::size_t>(index)]; }

    bool AutoRepaint = true;
    void Invalidate() const;
    // The host's way of invalidating its window.
    void SetInvalidateHandler(std::function<void()> handler) { invalidate_ = std::move(handler); }

    const std::vector<std::string>& LegendTitle() const { return legendTitle_; }
    void SetLegendTitle(std::vector<std::string> lines);
    bool LegendVisible() const { return legendVisible_; }
    void SetLegendVisible(bool visible);

private:
    std::vector<TChartSeries*> series_;
    std::function<void()> invalidate_;
    std::vector<std::string> legendTitle_{"Waiting...", "Waiting...", "Waiting..."};
    bool legendVisible_ = true;
};

}  // namespace nivaro
