#pragma once

#include <QRectF>
#include <QString>

class QPainter;

namespace nivaro {

// The small plots' axes: ticks at round values of x / unit along the plot's
// lower edge (below) or upper edge, labelled outside it, for x from `from`
// to `to`, with the title at the edge's right end.
void DrawHorizontalTicks(QPainter& painter, const QRectF& plot, double from, double to, double unit, bool below,
                         const QString& title);

// Ticks along the left edge for values from `from` to `to`, bottom to top.
void DrawVerticalTicks(QPainter& painter, const QRectF& plot, double from, double to, const QString& title);

}  // namespace nivaro
