#include "HistogramPlot.h"

#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <cmath>

#include "output/HistogramCsv.h"
#include "PlotAxes.h"

namespace nivaro {
namespace {

// The note below the plot: the occupied range's line and the whole line's,
// each wrapping to two lines in a narrow window.
constexpr int kNoteLines = 4;
constexpr int kLeftMargin = 56;  // room for the density's tick labels

}  // namespace

HistogramPlot::HistogramPlot(QWidget* parent) : QWidget(parent, Qt::Tool)
{
    MakePlotWindow(*this, QStringLiteral("Ensemble against |psi|\u00b2"), 480, 320);
}

void HistogramPlot::ShowHistogram(const EnsembleHistogram& histogram, double period, double z)
{
    histogram_ = histogram;
    period_ = period;
    const QString where = QStringLiteral("z = %1 nm (column %2)").arg(z * 1e9, 0, 'f', 1).arg(histogram.column);
    note_ = QStringLiteral("%1: total variation distance %2; %3 counted, %4 left the grid, %5 stopped")
                .arg(where)
                .arg(histogram.totalVariation, 0, 'f', 4)
                .arg(histogram.counted)
                .arg(histogram.leftGrid)
                .arg(histogram.stopped) +
            '\n' + QString::fromStdString(EscapeSummary(histogram));
    setWindowTitle(QStringLiteral("Ensemble against |psi|\u00b2 at %1").arg(where));
    update();
}

void HistogramPlot::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const QFontMetrics metrics = painter.fontMetrics();
    const QRectF plot = PlotAreaOverNote(painter, *this, kLeftMargin, kNoteLines, note_);
    const std::size_t bins = histogram_.counts.size();
    if (bins == 0 || histogram_.counted == 0 || plot.width() < 20 || plot.height() < 20) {
        return;
    }
    const double width = histogram_.binWidth;
    const double from = histogram_.centres.front() - width / 2;
    const double to = histogram_.centres.back() + width / 2;
    double top = *std::max_element(histogram_.density.begin(), histogram_.density.end());
    for (const long long count : histogram_.counts) {
        top = std::max(top, count / (histogram_.counted * width));
    }
    const auto xAt = [&](double x) { return plot.left() + (x - from) / (to - from) * plot.width(); };
    const auto yAt = [&](double density) { return plot.bottom() - density / (top * 1.05) * plot.height(); };
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(120, 150, 220));
    for (std::size_t b = 0; b < bins; ++b) {
        const double left = from + static_cast<double>(b) * width;
        const double density = histogram_.counts[b] / (histogram_.counted * width);
        painter.drawRect(QRectF(QPointF(xAt(left), yAt(density)), QPointF(xAt(left + width), plot.bottom())));
    }
    QPainterPath line;
    for (std::size_t b = 0; b < bins; ++b) {
        const QPointF point(xAt(histogram_.centres[b]), yAt(histogram_.density[b]));
        b == 0 ? line.moveTo(point) : line.lineTo(point);
    }
    DrawCurveInFrame(painter, *this, line, QColor(200, 0, 0), plot);
    DrawHorizontalTicks(painter, plot, from, to, 1e-9, true, QStringLiteral("x [nm]"));
    DrawHorizontalTicks(painter, plot, from, to, period_, false, QStringLiteral("x [d]"));
    DrawVerticalTicks(painter, plot, 0.0, top * 1.05 * 1e-9, QStringLiteral("probability density [1/nm]"));
    // Under the density axis's title, which a narrow window brings close.
    painter.drawText(QRectF(plot.left(), plot.top() + 4 + metrics.height(), plot.width() - 6, metrics.height()),
                     Qt::AlignRight, QStringLiteral("bars: ensemble   line: |psi|\u00b2"));
}

}  // namespace nivaro
