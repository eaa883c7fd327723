#pragma once

#include <functional>

#include "platform/Rgb.h"

namespace nivaro {

class Chart;
class SurfaceSeries;

enum class MouseEventKind { Down, Move, Up };
enum class MouseButton { Left, Right, Middle };
enum class ToolEvent { AfterDraw, BeforeDrawSeries, BeforeDraw, BeforeDrawAxes, AfterDrawSeries,
                             MouseLeave };

// A chart tool: the chart passes it its paint notifications and, in the
// order of its tool list, the mouse events over the chart.
class ChartTool {
public:
    virtual ~ChartTool() = default;
    bool Active = true;
    virtual void ChartEvent(Chart&, ToolEvent) {}
    virtual void ChartMouseEvent(Chart&, MouseEventKind, MouseButton, int, int) {}
};

enum class RotateToolStyle { All, Rotation, Elevation };

// Turns the view by dragging: horizontal movement changes the rotation,
// vertical movement the elevation, in proportion to the distance relative
// to the chart's size.
class RotateTool : public ChartTool {
public:
    MouseButton Button = MouseButton::Left;
    int Inertia = 0;
    bool Inverted = false;
    bool PenVisible = false;
    Rgb PenColor = RgbColor(255, 255, 255);
    int Speed = 50;
    RotateToolStyle Style = RotateToolStyle::All;
    std::function<void()> OnRotate;
    // The host's one-shot timer for the after-turning: called to ask for a
    // TimerTick about a millisecond later.
    std::function<void()> ScheduleTick;

    bool Dragging() const { return dragging_; }
    void ChartMouseEvent(Chart& chart, MouseEventKind kind, MouseButton button, int x, int y) override;
    void ChartEvent(Chart& chart, ToolEvent kind) override;
    void TimerTick(Chart& chart);

    void DoRotation(Chart& chart, double rotationStep, double elevationStep) const;
    static double RotationChange(bool fullRotation, double step, double current);
    static double ElevationChange(bool fullRotation, double step, double current);

private:
    void DrawOutline(Chart& chart) const;

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
class NearestCellTool : public ChartTool {
public:
    Rgb CellColor = RgbColor(255, 0, 0);
    Rgb RowColor = RgbColor(0, 0, 255);
    Rgb ColumnColor = RgbColor(0, 128, 0);
    std::function<void(NearestCellTool&)> OnSelectCell;

    void SetSeries(SurfaceSeries* series) { series_ = series; }
    SurfaceSeries* Series() const { return series_; }
    int Cell() const { return cell_; }
    // The hovered cell's smallest X and largest Z; -1 and -1 without a cell.
    void GetRowCol(Chart& chart, double& row, double& column) const;

    void ChartMouseEvent(Chart& chart, MouseEventKind kind, MouseButton button, int x, int y) override;

private:
    SurfaceSeries* series_ = nullptr;
    int cell_ = -1;
};

}  // namespace nivaro
