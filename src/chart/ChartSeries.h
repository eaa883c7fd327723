#pragma once

#include <memory>
#include <optional>
#include <vector>

#include "chart/ValueList.h"
#include "platform/DrawingDevice.h"
#include "platform/Rgb.h"

namespace nivaro {

class Chart;
class ChartAxis;
class Canvas3D;

// What a series needs from the chart to draw itself.
struct SeriesPaintContext {
    Canvas3D& canvas;
    const ChartAxis& horizontal;
    const ChartAxis& vertical;
    const ChartAxis& depth;
    int rotation;          // the view's rotation in whole degrees
    int perspective;
    bool invertedRotation;
};

// A chart series: its points as parallel value lists (X first, Y second,
// further lists after them), optional per-point colours, and the link to
// the chart that lists it.
class ChartSeries {
public:
    ChartSeries();
    virtual ~ChartSeries() = default;
    ChartSeries(const ChartSeries&) = delete;
    ChartSeries& operator=(const ChartSeries&) = delete;

    ValueList& XValues() { return *valueLists_[0]; }
    const ValueList& XValues() const { return *valueLists_[0]; }
    ValueList& YValues() { return *valueLists_[1]; }
    const ValueList& YValues() const { return *valueLists_[1]; }
    int Count() const { return XValues().Count(); }

    // Stores the point at the end of every list; returns its index.
    int AddXY(double x, double y, Rgb colour = kAutomaticColour);
    virtual void Clear();

    // A colour other than automatic creates the colour list on first use.
    void SetValueColor(int index, Rgb colour);
    Rgb ValueColor(int index) const;
    bool HasColorList() const { return colours_.has_value(); }

    // While updates are open, adds do not ask for a repaint; closing the
    // last one repaints once.
    void BeginUpdate() { ++updateCount_; }
    void EndUpdate();

    bool Active() const { return active_; }
    void SetActive(bool active);
    Chart* ParentChart() const { return parentChart_; }
    void SetParentChart(Chart* chart) { parentChart_ = chart; }
    Rgb SeriesColor() const { return seriesColor_; }
    void SetSeriesColor(Rgb colour) { seriesColor_ = colour; }
    int FirstVisibleIndex() const { return firstVisible_; }
    int LastVisibleIndex() const { return lastVisible_; }

    // Called by the chart before every paint.
    virtual void DoBeforeDrawChart() {}
    virtual void DrawAllValues(const SeriesPaintContext&) {}
    // The colour a point is drawn in: its own colour when one was set,
    // otherwise the series colour.
    virtual Rgb GetValueColor(int index) const;
    // Pixels the series asks the chart to keep free around its points.
    virtual int MarginPixels() const { return 0; }

    // Asks the parent chart to repaint (ignored while its AutoRepaint is off).
    void Repaint() const;

protected:
    void AddValueList(const char* name);
    ValueList& ValueListAt(std::size_t index) { return *valueLists_[index]; }
    const ValueList& ValueListAt(std::size_t index) const { return *valueLists_[index]; }

private:
    std::vector<std::unique_ptr<ValueList>> valueLists_;
    std::optional<std::vector<Rgb>> colours_;
    int updateCount_ = 0;
    bool active_ = true;
    Chart* parentChart_ = nullptr;
    Rgb seriesColor_ = kAutomaticColour;
    int firstVisible_ = -1;
    int lastVisible_ = -1;
};

// A series with a third coordinate, Z, in its own list. Points keep their
// insertion order; all of them are drawable.
class XyzSeries : public ChartSeries {
public:
    static constexpr int kDefaultTimesZOrder = 3;

    XyzSeries();

    ValueList& ZValues() { return ValueListAt(2); }
    const ValueList& ZValues() const { return ValueListAt(2); }
    int AddXYZ(double x, double y, double z);
    double MaxZValue() const { return ZValues().MaxValue(); }
    double MinZValue() const { return ZValues().MinValue(); }
    int TimesZOrder() const { return timesZOrder_; }

private:
    int timesZOrder_ = kDefaultTimesZOrder;
};

}  // namespace nivaro
