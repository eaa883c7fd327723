#pragma once

#include <memory>
#include <optional>
#include <vector>

#include "chart/ValueList.h"
#include "platform/DrawingDevice.h"
#include "platform/Rgb.h"

namespace nivaro {

class TChart;
class TChartAxis;
class TChartCanvas3D;

// What a series needs from the chart to draw itself.
struct SeriesPaintContext {
    TChartCanvas3D& canvas;
    const TChartAxis& horizontal;
    const TChartAxis& vertical;
    const TChartAxis& depth;
    int rotation;          // the view's rotation in whole degrees
    int perspective;
    bool invertedRotation;
};

// A chart series: its points as parallel value lists (X first, Y second,
// further lists after them), optional per-point colours, and the link to
// the chart that lists it.
class TChartSeries {
public:
    TChartSeries();
    virtual ~TChartSeries() = default;
    TChartSeries(const TChartSeries&) = delete;
    TChartSeries& operator=(const TChartSeries&) = delete;

    TChartValueList& XValues() { return *valueLists_[0]; }
    const TChartValueList& XValues() const { return *valueLists_[0]; }
    TChartValueList& YValues() { return *valueLists_[1]; }
    const TChartValueList& YValues() const { return *valueLists_[1]; }
    int Count() const { return XValues().Count(); }

    // Stores the point at the end of every list; returns its index.
    int AddXY(double x, double y, TColor colour = clAutomatic);
    virtual void Clear();

    // A colour other than automatic creates the colour list on first use.
    void SetValueColor(int index, TColor colour);
    TColor ValueColor(int index) const;
    bool HasColorList() const { return colours_.has_value(); }

    // While updates are open, adds do not ask for a repaint; closing the
    // last one repaints once.
    void BeginUpdate() { ++updateCount_; }
    void EndUpdate();

    bool Active() const { return active_; }
    void SetActive(bool active);
    TChart* ParentChart() const { return parentChart_; }
    void SetParentChart(TChart* chart) { parentChart_ = chart; }
    TColor SeriesColor() const { return seriesColor_; }
    void SetSeriesColor(TColor colour) { seriesColor_ = colour; }
    int FirstVisibleIndex() const { return firstVisible_; }
    int LastVisibleIndex() const { return lastVisible_; }

    // Called by the chart before every paint.
    virtual void DoBeforeDrawChart() {}
    virtual void DrawAllValues(const SeriesPaintContext&) {}
    // The colour a point is drawn in: its own colour when one was set,
    // otherwise the series colour.
    virtual TColor GetValueColor(int index) const;
    // Pixels the series asks the chart to keep free around its points.
    virtual int MarginPixels() const { return 0; }

    // Asks the parent chart to repaint (ignored while its AutoRepaint is off).
    void Repaint() const;

protected:
    void AddValueList(const char* name);
    TChartValueList& ValueList(std::size_t index) { return *valueLists_[index]; }
    const TChartValueList& ValueList(std::size_t index) const { return *valueLists_[index]; }

private:
    std::vector<std::unique_ptr<TChartValueList>> valueLists_;
    std::optional<std::vector<TColor>> colours_;
    int updateCount_ = 0;
    bool active_ = true;
    TChart* parentChart_ = nullptr;
    TColor seriesColor_ = clAutomatic;
    int firstVisible_ = -1;
    int lastVisible_ = -1;
};

// A series with a third coordinate, Z, in its own list. Points keep their
// insertion order; all of them are drawable.
class TCustom3DSeries : public TChartSeries {
public:
    static constexpr int kDefaultTimesZOrder = 3;

    TCustom3DSeries();

    TChartValueList& ZValues() { return ValueList(2); }
    const TChartValueList& ZValues() const { return ValueList(2); }
    int AddXYZ(double x, double y, double z);
    double MaxZValue() const { return ZValues().MaxValue(); }
    double MinZValue() const { return ZValues().MinValue(); }
    int TimesZOrder() const { return timesZOrder_; }

private:
    int timesZOrder_ = kDefaultTimesZOrder;
};

}  // namespace nivaro
