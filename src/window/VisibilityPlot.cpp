#include "VisibilityPlot.h"

#include <QPainter>
#include <QPainterPath>
#include <cmath>

#include "PlotAxes.h"

namespace nivaro {
namespace {

constexpr int kLeftMargin = 48;  // room for the visibility's tick labels
constexpr int kNoteLines = 2;

}  // namespace

VisibilityPlot::VisibilityPlot(QWidget* parent) : QWidget(parent, Qt::Tool)
{
    MakePlotWindow(*this, QStringLiteral("Fringe visibility"), 480, 300);
}

void VisibilityPlot::ShowVisibility(std::vector<VisibilityPoint> points, double talbotLength, const QString& note)
{
    points_ = std::move(points);
    talbotLength_ = talbotLength;
    note_ = note;
    update();
}

void VisibilityPlot::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const QRectF plot = PlotAreaOverNote(painter, *this, kLeftMargin, kNoteLines, note_);
    if (points_.empty() || plot.width() < 20 || plot.height() < 20) {
        return;
    }
    const double from = points_.front().z;
    const double to = points_.size() > 1 ? points_.back().z : from + 1e-9;
    const auto at = [&](const VisibilityPoint& point) {
        return QPointF(plot.left() + (point.z - from) / (to - from) * plot.width(),
                       plot.bottom() - point.visibility * plot.height());
    };
    // A column without density breaks the line.
    QPainterPath line;
    bool drawing = false;
    for (const VisibilityPoint& point : points_) {
        if (std::isnan(point.visibility)) {
            drawing = false;
            continue;
        }
        drawing ? line.lineTo(at(point)) : line.moveTo(at(point));
        drawing = true;
    }
    DrawCurveInFrame(painter, *this, line, QColor(30, 80, 200), plot);
    DrawHorizontalTicks(painter, plot, from, to, 1e-9, true, QStringLiteral("z [nm]"));
    DrawHorizontalTicks(painter, plot, from, to, talbotLength_, false, QStringLiteral("z [zt]"));
    DrawVerticalTicks(painter, plot, 0.0, 1.0, QStringLiteral("visibility (max - min) / (max + min)"));
}

}  // namespace nivaro
