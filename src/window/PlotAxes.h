#pragma once

#include <QColor>
#include <QPainterPath>
#include <QRectF>
#include <QString>

class QPainter;
class QWidget;

namespace nivaro {

// The small plots' axes: ticks at round values of x / unit along the plot's
// lower edge (below) or upper edge, labelled outside it, for x from `from`
// to `to`, with the title at the edge's right end.
void DrawHorizontalTicks(QPainter& painter, const QRectF& plot, double from, double to, double unit, bool below,
                         const QString& title);

// A small plot's own window: a tool window of the size given on white.
void MakePlotWindow(QWidget& plot, const QString& title, int width, int height);

// Draws the note, `lines` lines high, at the foot of the widget and returns
// the plot's area above it: `left` and kPlotMargin elsewhere, with a line
// of room above and below for the ticks' labels.
QRectF PlotAreaOverNote(QPainter& painter, const QWidget& widget, int left, int lines, const QString& note);
inline constexpr int kPlotMargin = 28;

// Ticks along the left edge for values from `from` to `to`, bottom to top.
// The curve in its colour, smooth, and the frame of the plot around it in
// the widget's text colour.
void DrawCurveInFrame(QPainter& painter, const QWidget& widget, const QPainterPath& curve, const QColor& colour,
                      const QRectF& plot);
void DrawVerticalTicks(QPainter& painter, const QRectF& plot, double from, double to, const QString& title);

}  // namespace nivaro
