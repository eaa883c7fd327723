#include <benchmark/benchmark.h>

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QImage>
#include <QPainter>
#include <QPushButton>
#include <QTemporaryDir>
#include <clocale>
#include <cstdlib>
#include <memory>

#include "SilentDialogs.h"
#include "chart/ChartFit.h"
#include "chart/SurfaceSeries.h"
#include "platform/QPainterDevice.h"
#include "window/MainWindow.h"

namespace nivaro {
namespace {

// The window after its first Apply with the 3D trajectories on: the default
// surface and its 24 trajectories.
struct PaintedWindow {
    PaintedWindow()
    {
        const QString previous = QDir::currentPath();
        QDir::setCurrent(folder.path());
        window.Start(folder.path());
        window.findChild<QCheckBox*>(QStringLiteral("showTrajectories3DBox"))->setChecked(true);
        window.findChild<QPushButton*>(QStringLiteral("applyButton"))->click();
        QDir::setCurrent(previous);
    }
    QTemporaryDir folder;
    SimulationState state;
    SilentDialogs dialogs;
    MainWindow window{state, dialogs};
};

// Built after the application object and destroyed before it.
std::unique_ptr<PaintedWindow> paintedWindow;

PaintedWindow& Window()
{
    return *paintedWindow;
}

void BM_ChartPaint(benchmark::State& run)
{
    Chart& chart = Window().window.DensityChart();
    QImage image(static_cast<int>(run.range(0)), static_cast<int>(run.range(1)), QImage::Format_RGB32);
    for (auto _ : run) {
        QPainterDevice device(image);
        chart.Draw(device);
        benchmark::DoNotOptimize(image.bits());
    }
    run.counters["series"] = chart.SeriesCount();
}

// Baseline: the same surface cells projected by the same canvas and drawn
// one by one straight through QPainter, without the chart's machinery.
void BM_ChartPaintBaseline(benchmark::State& run)
{
    Chart& chart = Window().window.DensityChart();
    QImage image(static_cast<int>(run.range(0)), static_cast<int>(run.range(1)), QImage::Format_RGB32);
    {
        QPainterDevice device(image);
        chart.Draw(device);
    }
    auto& surface = dynamic_cast<SurfaceSeries&>(chart.GetSeries(0));
    const SeriesPaintContext context = chart.PaintContext();
    for (auto _ : run) {
        QPainter painter(&image);
        painter.fillRect(image.rect(), Qt::white);
        painter.setPen(QColor(192, 192, 192));
        for (int row = 1; row < surface.NumXValues(); ++row) {
            for (int column = 1; column < surface.NumZValues(); ++column) {
                const int corners[4] = {surface.GridIndex(row, column), surface.GridIndex(row + 1, column),
                                        surface.GridIndex(row + 1, column + 1), surface.GridIndex(row, column + 1)};
                QPolygon quad(4);
                for (int k = 0; k < 4; ++k) {
                    const int i = corners[k];
                    const DevicePoint p = context.canvas.Calc3DPoint(
                        context.horizontal.CalcPosValue(surface.XValues()[i]),
                        context.vertical.CalcPosValue(surface.YValues()[i]),
                        context.depth.CalcPosValue(surface.ZValues()[i]));
                    quad.setPoint(k, p.x, p.y);
                }
                painter.setBrush(ToQColor(surface.GetValueColor(corners[1])));
                painter.drawPolygon(quad);
            }
        }
        benchmark::DoNotOptimize(image.bits());
    }
}

// One drag step of the rotate tool: the mouse move and the full paint it
// causes. Its baseline is the plain paint above at the same size.
void BM_DragStep(benchmark::State& run)
{
    Chart& chart = Window().window.DensityChart();
    QImage image(static_cast<int>(run.range(0)), static_cast<int>(run.range(1)), QImage::Format_RGB32);
    {
        QPainterDevice device(image);
        chart.Draw(device);
    }
    chart.MouseDown(MouseButton::Left, 500, 500);
    int step = 0;
    for (auto _ : run) {
        chart.MouseMove(500 + (step++ % 2 == 0 ? 4 : 0), 500);
        QPainterDevice device(image);
        chart.Draw(device);
        benchmark::DoNotOptimize(image.bits());
    }
    chart.MouseUp(MouseButton::Left, 500, 500);
}

// Choosing the zoom that fits (after a resize or new data); its baseline is
// one plain paint at the same size.
void BM_FitZoom(benchmark::State& run)
{
    Chart& chart = Window().window.DensityChart();
    QImage image(static_cast<int>(run.range(0)), static_cast<int>(run.range(1)), QImage::Format_RGB32);
    for (auto _ : run) {
        QPainterDevice device(image);
        benchmark::DoNotOptimize(FitZoom(chart, device));
    }
}

BENCHMARK(BM_FitZoom)->Args({1920, 1080})->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DragStep)->Args({1920, 1080})->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ChartPaint)->Args({832, 740})->Args({1920, 1080})->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ChartPaintBaseline)->Args({832, 740})->Args({1920, 1080})->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace nivaro

int main(int argc, char** argv)
{
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication application(argc, argv);
    std::setlocale(LC_NUMERIC, "C");
    nivaro::paintedWindow = std::make_unique<nivaro::PaintedWindow>();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    nivaro::paintedWindow.reset();
    return 0;
}
