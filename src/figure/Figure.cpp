#include "Figure.h"

#include <QBuffer>
#include <QPdfWriter>
#include <QSvgGenerator>
#include <algorithm>
#include <cmath>
#include <filesystem>
#include <stdexcept>

#include "chart/Chart.h"
#include "chart/export/ChartExport.h"
#include "platform/DrawingDevice.h"
#include "platform/RoundStep.h"
#include "platform/TextMatching.h"

namespace nivaro {
namespace {

constexpr double kMetresPerInch = 0.0254;

QString Text(const std::string& text)
{
    return QString::fromStdString(text);
}

// Tick labels with as few digits as the step needs.
QString TickText(double value, double step)
{
    const int decimals = std::clamp(static_cast<int>(std::ceil(-std::log10(step) - 1e-9)), 0, 6);
    if (value != 0 && (std::abs(value) >= 1e5 || std::abs(value) < 1e-3)) {
        return QString::number(value, 'g', 3);
    }
    return QString::number(value == 0 ? 0.0 : value, 'f', decimals);
}

// Round ticks between two edge values, whichever way they run.
std::vector<double> AxisTicks(double first, double last, double length, double spacing)
{
    const double low = std::min(first, last);
    const double high = std::max(first, last);
    return RoundTicks(low, high, RoundStep((high - low) / std::max(2.0, length / spacing)));
}

double TickStep(const std::vector<double>& ticks)
{
    return ticks.size() > 1 ? std::abs(ticks[1] - ticks[0]) : 1.0;
}

// The chart's text is sized for a window; on a page it grows by a whole
// factor with the page, and the page's own text matches it.
constexpr int kChartTextPixels = 12;

int TextScale(const FigurePage& page)
{
    return std::max(1, static_cast<int>(std::lround(std::min(page.width, page.height) / 540.0)));
}

// The fonts of one page: sized by the page so that a figure keeps its
// proportions at any resolution.
struct PageFonts {
    explicit PageFonts(const FigurePage& page)
    {
        const int size = kChartTextPixels * TextScale(page);
        text = QFont(QString::fromLatin1(kSansFontFamily));
        text.setPixelSize(size);
        title = text;
        title.setPixelSize(size * 6 / 5);
    }
    QFont text;
    QFont title;
};

void PaintAxisBelow(QPainter& painter, const FigureAxis& axis, const QRectF& view)
{
    const QFontMetricsF metrics(painter.font());
    const double tick = metrics.height() / 3;
    const std::vector<double> ticks = AxisTicks(axis.first, axis.last, view.width(), metrics.horizontalAdvance("-0.000") * 2);
    const double step = TickStep(ticks);
    for (const double value : ticks) {
        const double x = view.left() + (value - axis.first) / (axis.last - axis.first) * view.width();
        painter.drawLine(QPointF(x, view.bottom()), QPointF(x, view.bottom() + tick));
        const QString label = TickText(value, step);
        const double width = metrics.horizontalAdvance(label);
        painter.drawText(QPointF(x - width / 2, view.bottom() + tick + metrics.ascent()), label);
    }
    const QString title = Text(axis.title);
    painter.drawText(QPointF(view.center().x() - metrics.horizontalAdvance(title) / 2,
                             view.bottom() + tick + metrics.height() + metrics.ascent() + tick),
                     title);
}

void PaintAxisLeft(QPainter& painter, const FigureAxis& axis, const QRectF& view)
{
    const QFontMetricsF metrics(painter.font());
    const double tick = metrics.height() / 3;
    const std::vector<double> ticks = AxisTicks(axis.first, axis.last, view.height(), metrics.height() * 3);
    const double step = TickStep(ticks);
    for (const double value : ticks) {
        const double y = view.bottom() - (value - axis.first) / (axis.last - axis.first) * view.height();
        painter.drawLine(QPointF(view.left() - tick, y), QPointF(view.left(), y));
        const QString label = TickText(value, step);
        painter.drawText(QPointF(view.left() - tick * 2 - metrics.horizontalAdvance(label),
                                 y + metrics.ascent() - metrics.height() / 2),
                         label);
    }
    const QString title = Text(axis.title);
    painter.save();
    painter.translate(view.left() - tick * 2 - metrics.horizontalAdvance("-0.000") - tick * 2, view.center().y());
    painter.rotate(-90);
    painter.drawText(QPointF(-metrics.horizontalAdvance(title) / 2, -metrics.descent()), title);
    painter.restore();
}

// The picture fills its area; its axes take room below and on the left.
void PaintPictureView(QPainter& painter, const Figure& figure, const QRectF& area)
{
    const QFontMetricsF metrics(painter.font());
    const double below = metrics.height() * 2 + metrics.height();
    const double left = metrics.horizontalAdvance("-0.000") + metrics.height() * 2.5;
    const QRectF view(area.left() + left, area.top() + metrics.height() / 2, area.width() - left - metrics.height(),
                      area.height() - below - metrics.height() / 2);
    // A grid of thousands of points is averaged down to twice the view's
    // pixels: a page shows no more, and its file need not hold the rest.
    const QSize most = (view.size() * 2).toSize();
    const bool larger = figure.picture.width() > most.width() || figure.picture.height() > most.height();
    painter.drawImage(view, larger ? figure.picture.scaled(most, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                                   : figure.picture);
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(view);
    PaintAxisBelow(painter, figure.horizontal, view);
    PaintAxisLeft(painter, figure.vertical, view);
}

// A chart's axis title without the scales in parentheses ("x [nm]" of
// "x [nm]   (d = 10 nm)").
std::string WithoutScales(const std::string& title)
{
    return title.substr(0, title.find("   ("));
}

// The chart as a figure shows it for a while: no legend, and axis titles
// without their scales; the figure's title says what they would.
class FigureChartLook {
public:
    explicit FigureChartLook(Chart& chart)
        : chart_(chart), legend_(chart.LegendVisible()), across_(chart.BottomAxis.Title), along_(chart.DepthAxis.Title)
    {
        chart_.SetLegendVisible(false);
        chart_.BottomAxis.Title = WithoutScales(across_);
        chart_.DepthAxis.Title = WithoutScales(along_);
    }
    FigureChartLook(const FigureChartLook&) = delete;
    FigureChartLook& operator=(const FigureChartLook&) = delete;
    ~FigureChartLook()
    {
        chart_.BottomAxis.Title = across_;
        chart_.DepthAxis.Title = along_;
        chart_.SetLegendVisible(legend_);
    }

private:
    Chart& chart_;
    const bool legend_;
    const std::string across_;
    const std::string along_;
};

void PaintChartView(QPainter& painter, Chart& chart, const QRectF& area, const FigurePage& page)
{
    const int textScale = TextScale(page);
    const int width = std::max(1, static_cast<int>(area.width()) / textScale);
    const int height = std::max(1, static_cast<int>(area.height()) / textScale);
    QPicture recorded;
    {
        const FigureChartLook look(chart);
        recorded = RecordChart(chart, width, height, {textScale, true, true});
    }
    // A picture replays scaled by the target's resolution over its own; the
    // chart was laid out in the page's pixels, so that is undone.
    const double unscale = static_cast<double>(recorded.logicalDpiX()) / painter.device()->logicalDpiX();
    painter.save();
    painter.translate(area.topLeft());
    painter.scale(unscale, unscale);
    painter.drawPicture(QPointF(0, 0), recorded);
    painter.restore();
}

QByteArray SvgOf(const Figure& figure, const FigurePage& page)
{
    QByteArray svg;
    QBuffer buffer(&svg);
    QSvgGenerator generator;
    generator.setOutputDevice(&buffer);
    generator.setSize(QSize(page.width, page.height));
    generator.setViewBox(QRect(0, 0, page.width, page.height));
    generator.setResolution(page.dpi);
    generator.setTitle(QStringLiteral("Nivaro"));
    QPainter painter(&generator);
    PaintFigure(painter, figure, page);
    painter.end();
    return svg;
}

QByteArray PdfOf(const Figure& figure, const FigurePage& page)
{
    QByteArray pdf;
    QBuffer buffer(&pdf);
    buffer.open(QIODevice::WriteOnly);
    {
        QPdfWriter writer(&buffer);
        writer.setCreator(QStringLiteral("Nivaro"));
        writer.setResolution(page.dpi);
        writer.setPageMargins(QMarginsF(0, 0, 0, 0));
        writer.setPageSize(QPageSize(QSizeF(page.width * 72.0 / page.dpi, page.height * 72.0 / page.dpi),
                                     QPageSize::Point, QString(), QPageSize::ExactMatch));
        QPainter painter(&writer);
        PaintFigure(painter, figure, page);
    }
    return pdf;
}

}  // namespace

void PaintColourScale(QPainter& painter, const FigureColourScale& scale, const QRectF& area)
{
    const QFontMetricsF metrics(painter.font());
    const double line = metrics.height();
    const double barWidth = std::max(12.0, line);
    painter.setPen(Qt::black);
    painter.drawText(QRectF(area.left(), area.top(), area.width(), line), Qt::AlignLeft, Text(scale.title));
    double top = area.top() + line * 1.5;
    const double bottom = area.bottom() - line / 2;
    if (scale.clippedAbove) {
        painter.drawText(QRectF(area.left(), top, area.width(), line), Qt::AlignLeft,
                         QStringLiteral("clipped above %1").arg(*scale.clippedAbove, 0, 'g', 3));
        top += line * 1.25;
        // A flat band of the top colour, hatched, stands for every clipped value.
        const QRectF band(area.left(), top, barWidth, line);
        painter.fillRect(band, scale.colourOf(scale.highest));
        painter.fillRect(band, QBrush(Qt::black, Qt::BDiagPattern));
        painter.drawRect(band);
        top += line * 1.25;
    }
    if (!(scale.highest > scale.lowest) || bottom - top < line) {
        return;
    }
    const QRectF bar(area.left(), top, barWidth, bottom - top);
    constexpr int kBands = 256;
    const double bandHeight = bar.height() / kBands;
    for (int k = 0; k < kBands; ++k) {
        const double value = scale.lowest + (scale.highest - scale.lowest) * (k + 0.5) / kBands;
        painter.fillRect(QRectF(bar.left(), bar.bottom() - (k + 1) * bandHeight, bar.width(), bandHeight + 0.5),
                         scale.colourOf(value));
    }
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(bar);
    const std::vector<double> ticks = AxisTicks(scale.lowest, scale.highest, bar.height(), line * 2.5);
    const double step = TickStep(ticks);
    const double tick = line / 3;
    for (const double value : ticks) {
        const double y = bar.bottom() - (value - scale.lowest) / (scale.highest - scale.lowest) * bar.height();
        painter.drawLine(QPointF(bar.right(), y), QPointF(bar.right() + tick, y));
        painter.drawText(QPointF(bar.right() + tick * 2, y + metrics.ascent() - line / 2), TickText(value, step));
    }
}

void PaintFigure(QPainter& painter, const Figure& figure, const FigurePage& page)
{
    const PageFonts fonts(page);
    painter.fillRect(QRectF(0, 0, page.width, page.height), Qt::white);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::black);
    const QFontMetricsF metrics(fonts.text);
    const double margin = metrics.height();
    QRectF area(margin, margin, page.width - 2 * margin, page.height - 2 * margin);
    if (!figure.title.empty()) {
        painter.setFont(fonts.title);
        const double titleHeight = QFontMetricsF(fonts.title).height() * 1.5;
        painter.drawText(QRectF(area.left(), area.top(), area.width(), titleHeight), Qt::AlignHCenter | Qt::AlignTop,
                         Text(figure.title));
        area.setTop(area.top() + titleHeight);
    }
    painter.setFont(fonts.text);
    if (figure.colourScale) {
        const double scaleWidth = std::max(metrics.horizontalAdvance(Text(figure.colourScale->title)),
                                           metrics.horizontalAdvance(QStringLiteral("clipped above 0.000e-00"))) +
                                  margin;
        const QRectF scaleArea(area.right() - scaleWidth, area.top() + margin, scaleWidth, area.height() - 2 * margin);
        PaintColourScale(painter, *figure.colourScale, scaleArea);
        area.setRight(scaleArea.left() - margin);
    }
    if (figure.chart != nullptr) {
        PaintChartView(painter, *figure.chart, area, page);
    } else {
        PaintPictureView(painter, figure, area);
    }
}

QImage RenderFigure(const Figure& figure, const FigurePage& page)
{
    QImage image(page.width, page.height, QImage::Format_RGB32);
    const int dotsPerMetre = static_cast<int>(std::lround(page.dpi / kMetresPerInch));
    image.setDotsPerMeterX(dotsPerMetre);
    image.setDotsPerMeterY(dotsPerMetre);
    QPainter painter(&image);
    PaintFigure(painter, figure, page);
    return image;
}

bool IsFigureFileName(const std::string& path)
{
    const std::string extension = std::filesystem::path(path).extension().string();
    return EqualsIgnoringCase(extension, ".png") || EqualsIgnoringCase(extension, ".svg") ||
           EqualsIgnoringCase(extension, ".pdf");
}

void SaveFigure(const Figure& figure, const std::string& path, const FigurePage& page)
{
    const std::string extension = std::filesystem::path(path).extension().string();
    if (EqualsIgnoringCase(extension, ".png")) {
        SaveImageAsPng(RenderFigure(figure, page), path);
    } else if (EqualsIgnoringCase(extension, ".svg")) {
        SaveBytes(SvgOf(figure, page), path);
    } else if (EqualsIgnoringCase(extension, ".pdf")) {
        SaveBytes(PdfOf(figure, page), path);
    } else {
        throw std::invalid_argument(path + ": a figure is written as .png, .svg or .pdf");
    }
}

}  // namespace nivaro
