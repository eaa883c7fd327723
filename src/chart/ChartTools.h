#pragma once

#include <functional>

#include "platform/Rgb.h"

namespace nivaro {

class TChart;
class TSurfaceSeries;

enum class TChartMouseEvent { cmeDown, cmeMove, cmeUp };
enum class TMouseButton { mbLeft, mbRight, mbMiddle };
enum class TChartToolEvent { cteAfterDraw, cteBeforeDrawSeries, cteBeforeDraw, cteBeforeDrawAxes, cteAfterDrawSeries,
                             cteMouseLeave };

// A chart tool: the chart passes it its paint notifications and, in the
// order of its tool list, the mouse events over the chart.
class TChartCustomTool {
public:
    virtual ~TChartCustomTool() = default;
    bool Active = true;
    virtual void ChartEvent(TChart&, TChartToolEvent) {}
    virtual void ChartMouseEvent(TChart&, TChartMouseEvent, TMouseButton, int, int) {}
};

enum class TRotateToolStyles { rsAll, rsRotation, rsElevation };

// Turns the view by dragging: horizontal movement changes the rotation,
// vertical movement the elevation, in proportion to the distance relative
// to the chart's size.
class TRotateTool : public TChartCustomTool {
public:
    TMouseButton Button = TMouseButton::mbLeft;
    int Inertia = 0;
    bool Inverted = false;
    bool PenVisible = false;
    TColor PenColor = RgbColor(255, 255, 255);
    int Speed = 50;
    TRotateToolStyles Style = TRotateToolStyles::rsAll;
    std::function<void()> OnRotate;
    // The host's one-shot timer for the after-turning: called to ask for a
    // TimerTick about a millisecond later.
    std::function<void()> ScheduleTick;

    bool Dragging() const { return dragging_; }
    void ChartMouseEvent(TChart& chart, TChartMouseEvent kind, TMouseButton button, int x, int y) override;
    void ChartEvent(TChart& chart, TChartToolEvent kind) override;
    void TimerTick(TChart& chart);

    void DoRotation(TChart& chart, double rotationStep, double elevationStep) const;
    static double RotationChange(bool fullRotation, double step, double current);
    static double ElevationChange(bool fullRotation, double step, double current);

private:
    void DrawOutline(TChart& chart) const;

    bool dragging_ = false;
    bool firstMove_ = false;
    bool timerRunning_ = false;
    bool savedAutoRepaint_ = true;
    int lastX_ = 0;
    int lastY_ = 0;
    double rotationStep_ = 0.0;
    double elevationStep_ = 0.0;
};

// Follows the mouse over the surface: the cell under it turns CellColor, the
// other cells of its grid row RowColor and of its grid column ColumnColor,
// and OnSelectCell reports every change of cell.
class TSurfaceNearestTool : public TChartCustomTool {
public:
    TColor CellColor = RgbColor(255, 0, 0);
    TColor RowColor = RgbColor(0, 0, 255);
    TColor ColumnColor = RgbColor(0, 128, 0);
    std::function<void(TSurfaceNearestTool&)> OnSelectCell;

    void SetSeries(TSurfaceSeries* series) { series_ = series; }
    TSurfaceSeries* Series() const { return series_; }
    int Cell() const { return cell_; }
    // The hovered cell's smallest X and largest Z; -1 and -1 without a cell.
    void GetRowCol(TChart& chart, double& row, double& column) const;

    void ChartMouseEvent(TChart& chart, TChartMouseEvent kind, TMouseButton button, int x, int y) override;

private:
    TSurfaceSeries* series_ = nullptr;
    int cell_ = -1;
};

}  // namespace nivaro
