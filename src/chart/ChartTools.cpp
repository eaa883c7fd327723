#include "ChartTools.h"

#include <algorithm>
#include <cmath>

#include "Chart.h"
#include "SurfaceSeries.h"

namespace nivaro {

double RotateTool::RotationChange(bool fullRotation, double step, double current)
{
    if (step == 0) {
        return current;
    }
    if (step > 0) {
        const double value = current + step;
        return value > 360 ? value - 360 : value;
    }
    if (fullRotation) {
        return std::max(0.0, current + step);
    }
    const double value = current + step;
    return value < 0 ? value + 360 : value;
}

double RotateTool::ElevationChange(bool fullRotation, double step, double current)
{
    if (step == 0) {
        return current;
    }
    if (step > 0) {
        return std::min(current + step, 360.0);
    }
    return std::max(current + step, fullRotation ? 0.0 : 270.0);
}

void RotateTool::DoRotation(Chart& chart, double rotationStep, double elevationStep) const
{
    ViewOptions3D& view = chart.View3DOptions();
    view.SetOrthogonal(false);
    if (Style != RotateToolStyle::Elevation) {
        view.SetRotation(RotationChange(false, rotationStep, view.RotationValue()));
    }
    if (Style != RotateToolStyle::Rotation) {
        view.SetElevation(ElevationChange(false, elevationStep, view.ElevationValue()));
    }
}

void RotateTool::ChartMouseEvent(Chart& chart, MouseEventKind kind, MouseButton button, int x, int y)
{
    switch (kind) {
    case MouseEventKind::Down:
        if (button != Button) {
            return;
        }
        timerRunning_ = false;
        dragging_ = true;
        lastX_ = x;
        lastY_ = y;
        firstMove_ = true;
        chart.CancelMouse = true;
        return;
    case MouseEventKind::Move: {
        if (!dragging_) {
            return;
        }
        const double factor = (Speed - 50) * 0.01 + 1;
        const double sign = Inverted ? -1.0 : 1.0;
        rotationStep_ = sign * (x - lastX_) * 90.0 / std::max(1, chart.Width()) * factor;
        elevationStep_ = sign * (lastY_ - y) * 90.0 / std::max(1, chart.Height()) * factor;
        if (PenVisible) {
            if (firstMove_) {
                savedAutoRepaint_ = chart.AutoRepaint;
                chart.AutoRepaint = false;
                firstMove_ = false;
            } else {
                DrawOutline(chart);
            }
        }
        DoRotation(chart, rotationStep_, elevationStep_);
        lastX_ = x;
        lastY_ = y;
        chart.CancelMouse = true;
        if (PenVisible) {
            chart.PrepareRotatedCanvas();
            DrawOutline(chart);
        }
        if (OnRotate) {
            OnRotate();
        }
        return;
    }
    case MouseEventKind::Up:
        if (!dragging_) {
            return;
        }
        dragging_ = false;
        if (PenVisible) {
            chart.AutoRepaint = savedAutoRepaint_;
            chart.Invalidate();
        }
        if (Inertia > 0 && ScheduleTick) {
            timerRunning_ = true;
            ScheduleTick();
        }
        return;
    }
}

void RotateTool::TimerTick(Chart& chart)
{
    if (!timerRunning_ || dragging_) {
        return;
    }
    DoRotation(chart, rotationStep_, elevationStep_);
    if (timerRunning_ && ScheduleTick) {
        ScheduleTick();
    }
}

void RotateTool::ChartEvent(Chart&, ToolEvent)
{
    if (!timerRunning_) {
        return;
    }
    if (std::abs(rotationStep_) > 0.01 || std::abs(elevationStep_) > 0.01) {
        const double decay = 1 - (100 - Inertia) * 0.001;
        rotationStep_ = std::abs(rotationStep_) > 0.01 ? rotationStep_ * decay : 0.0;
        elevationStep_ = std::abs(elevationStep_) > 0.01 ? elevationStep_ * decay : 0.0;
    } else {
        timerRunning_ = false;
    }
}

// The chart box drawn with the XOR pen: drawing it twice removes it.
void RotateTool::DrawOutline(Chart& chart) const
{
    chart.DrawOverlay([this, &chart](Canvas3D& canvas) {
        const DeviceRect& r = chart.ChartRect();
        const int depth = chart.ChartDepth();
        canvas.SetBrush({0, BrushStyle::Clear});
        canvas.SetPen({PenColor, 1, PenStyle::Solid, true});
        for (const int z : {0, depth}) {
            canvas.MoveTo3D(r.left, r.top, z);
            canvas.LineTo3D(r.right, r.top, z);
            canvas.LineTo3D(r.right, r.bottom, z);
            canvas.LineTo3D(r.left, r.bottom, z);
            canvas.LineTo3D(r.left, r.top, z);
        }
        canvas.ZLine3D(r.left, r.top, 0, depth);
        canvas.ZLine3D(r.right, r.top, 0, depth);
        canvas.ZLine3D(r.left, r.bottom, 0, depth);
        canvas.ZLine3D(r.right, r.bottom, 0, depth);
    });
}

void NearestCellTool::GetRowCol(Chart& chart, double& row, double& column) const
{
    if (cell_ < 0 || series_ == nullptr) {
        row = column = -1.0;
        return;
    }
    const CellsOrientation orientation = series_->Orientation(chart.PaintContext());
    row = series_->XValues()[cell_] - (orientation.dx == -1 ? 1 : 0);
    column = series_->ZValues()[cell_] + (orientation.dz == -1 ? 1 : 0);
}

void NearestCellTool::ChartMouseEvent(Chart& chart, MouseEventKind kind, MouseButton, int x, int y)
{
    if (kind != MouseEventKind::Move || series_ == nullptr) {
        return;
    }
    const int index = series_->Clicked(chart.PaintContext(), x, y);
    if (index == cell_) {
        return;
    }
    cell_ = index;
    chart.AutoRepaint = false;
    double row = -1.0;
    double column = -1.0;
    GetRowCol(chart, row, column);
    for (int k = 0; k < series_->Count(); ++k) {
        Rgb colour = kAutomaticColour;
        if (cell_ >= 0) {
            const bool sameRow = series_->XValues()[k] == row;
            const bool sameColumn = series_->ZValues()[k] == column;
            colour = sameRow && sameColumn ? CellColor : sameRow ? RowColor : sameColumn ? ColumnColor : kAutomaticColour;
        }
        series_->SetValueColor(k, colour);
    }
    chart.AutoRepaint = true;
    chart.Invalidate();
    if (OnSelectCell) {
        OnSelectCell(*this);
    }
}

}  // namespace nivaro
