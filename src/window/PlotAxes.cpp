#include "PlotAxes.h"

#include <QFontMetrics>
#include <QPainter>
#include <QWidget>

#include "platform/RoundStep.h"

namespace nivaro {
namespace {

constexpr double kTickLength = 4.0;
constexpr double kLabelWidth = 80.0;
constexpr double kTicksWanted = 6.0;

}  // namespace

void DrawHorizontalTicks(QPainter& painter, const QRectF& plot, double from, double to, double unit, bool below,
                         const QString& title)
{
    const QFontMetrics metrics = painter.fontMetrics();
    const double edge = below ? plot.bottom() : plot.top();
    const double step = RoundStep((to - from) / unit / kTicksWanted);
    for (const double value : RoundTicks(from / unit, to / unit, step)) {
        const double x = plot.left() + (value * unit - from) / (to - from) * plot.width();
        painter.drawLine(QPointF(x, edge), QPointF(x, edge + (below ? kTickLength : -kTickLength)));
        const QRectF box(x - kLabelWidth / 2, below ? edge + kTickLength : edge - kTickLength - metrics.height(),
                         kLabelWidth, metrics.height());
        painter.drawText(box, Qt::AlignHCenter, QString::number(value, 'g', 4));
    }
    const double titleTop = below ? edge + kTickLength + metrics.height() : edge - kTickLength - 2 * metrics.height();
    painter.drawText(QRectF(plot.right() - kLabelWidth, titleTop, kLabelWidth, metrics.height()), Qt::AlignRight,
                     title);
}

void MakePlotWindow(QWidget& plot, const QString& title, int width, int height)
{
    plot.setWindowTitle(title);
    plot.resize(width, height);
    plot.setAutoFillBackground(true);
    QPalette white = plot.palette();
    white.setColor(QPalette::Window, Qt::white);
    plot.setPalette(white);
}

QRectF PlotAreaOverNote(QPainter& painter, const QWidget& widget, int left, int lines, const QString& note)
{
    const QFontMetrics metrics = painter.fontMetrics();
    const int width = widget.width();
    const int height = widget.height();
    painter.drawText(QRectF(4, height - lines * metrics.height() - 4, width - 8, lines * metrics.height()),
                     Qt::AlignHCenter | Qt::TextWordWrap, note);
    return QRectF(left, kPlotMargin + metrics.height(), width - left - kPlotMargin,
                  height - 2 * kPlotMargin - (lines + 2) * metrics.height());
}

void DrawVerticalTicks(QPainter& painter, const QRectF& plot, double from, double to, const QString& title)
{
    const QFontMetrics metrics = painter.fontMetrics();
    const double step = RoundStep((to - from) / kTicksWanted);
    for (const double value : RoundTicks(from, to, step)) {
        const double y = plot.bottom() - (value - from) / (to - from) * plot.height();
        painter.drawLine(QPointF(plot.left(), y), QPointF(plot.left() - kTickLength, y));
        const QRectF box(plot.left() - kTickLength - kLabelWidth, y - metrics.height() / 2.0, kLabelWidth - 2,
                         metrics.height());
        painter.drawText(box, Qt::AlignRight | Qt::AlignVCenter, QString::number(value, 'g', 4));
    }
    painter.drawText(QRectF(plot.left() + 6, plot.top() + 4, plot.width(), metrics.height()), Qt::AlignLeft, title);
}

void DrawCurveInFrame(QPainter& painter, const QWidget& widget, const QPainterPath& curve, const QColor& colour,
                      const QRectF& plot)
{
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(colour, 2));
    painter.drawPath(curve);
    painter.setPen(widget.palette().color(QPalette::WindowText));
    painter.drawRect(plot);
}

}  // namespace nivaro
