#include "BatchPictures.h"

#include "chart/MainChart.h"
#include "chart/export/ChartExport.h"
#include "engine/QuantumPotential.h"
#include "engine/SpectrumTransform.h"
#include "engine/SurfaceData.h"
#include "figure/CarpetPicture.h"
#include "figure/QuantumPotentialMap.h"
#include "figure/ViewFigures.h"

namespace nivaro {
namespace {

constexpr int kChartJpegQuality = 75;
constexpr ChartPictureStyle kFittedChart{1, false, true};

void FillChart(MainChart& chart, const BatchOptions& options, const SimulationState& state,
               std::vector<std::string> legend)
{
    const SurfaceBlockCounts counts = SurfaceBlocks(state.grid);
    chart.SetColourMap(options.colourMap);
    chart.FillSurface(counts.x, counts.z, SurfaceBlockMaxima(state));
    if (options.chartTrajectories) {
        chart.AddTrajectories(SurfaceTrajectories(state));
    }
    chart.Plot().SetLegendTitle(std::move(legend));
    LabelSurfaceAxes(chart.Plot(), state, SurfaceKind::Density, !options.blockLabels);
}

FigurePage PageOf(const BatchOptions& options)
{
    const FigurePage standard;
    return options.sizeGiven ? FigurePage{options.chartWidth, options.chartHeight, options.figureDpi}
                             : FigurePage{standard.width, standard.height, options.figureDpi};
}

// Builds the figure (and what it draws from) and hands it to use while
// that lives.
template <typename Use>
void WithFigure(const BatchOptions& options, const SimulationState& state, std::vector<std::string> legend,
                ProgressSink& progress, Use use)
{
    MainChart chart;
    RealMatrixT values(0, 0);
    Figure figure;
    switch (options.figureView) {
    case FigureView::Chart:
        FillChart(chart, options, state, std::move(legend));
        figure = ChartFigure(chart, SurfaceColourScale(chart, state, SurfaceKind::Density, DerivedResults{}));
        break;
    case FigureView::Carpet:
        figure = CarpetFigure(state, CarpetPlanesPicture(state), CarpetScale(state, options.contrast));
        break;
    case FigureView::Spectrum:
        SpectrumOfPsi(state, values);
        figure = SpectrumFigure(state, values, options.colourMap);
        break;
    case FigureView::QuantumPotential: {
        ComputeQuantumPotential(state, values, progress);
        const ValueRange range = QuantumPotentialRange(values);
        figure = CarpetFigure(state, QuantumPotentialPicture(values, DivergingMap(range, options.colourMap)),
                              QuantumPotentialScale(range, options.colourMap));
        break;
    }
    }
    if (options.figureTitle) {
        figure.title = SettingsTitle(state) + (options.sweptValues.empty() ? "" : ";  " + options.sweptValues);
    }
    use(figure);
}

}  // namespace

void WriteChart(const BatchOptions& options, const SimulationState& state, std::vector<std::string> legend,
                StageTimings& timings)
{
    MainChart chart;
    FillChart(chart, options, state, std::move(legend));
    const std::string& path = *options.chartFile;
    const int width = options.chartWidth;
    const int height = options.chartHeight;
    const PictureFormat format = PictureFormatOf(path, true);
    const std::string writing = "write " + path;
    if (format == PictureFormat::Svg) {
        const QByteArray svg =
            timings.Time("chart", [&] { return RenderChartSvg(chart.Plot(), width, height, kFittedChart); });
        timings.Time(writing, [&] { SaveBytes(svg, path); });
        return;
    }
    const QImage image =
        timings.Time("chart", [&] { return RenderChartImage(chart.Plot(), width, height, kFittedChart); });
    timings.Time(writing, [&] {
        switch (format) {
        case PictureFormat::Bmp:
            SaveImageAsBmp(image, path);
            break;
        case PictureFormat::Png:
            SaveImageAsPng(image, path);
            break;
        case PictureFormat::Jpeg:
            SaveImageAsJpeg(image, path, kChartJpegQuality);
            break;
        case PictureFormat::Svg:
            break;  // drawn above
        }
    });
}

QImage ChartFrame(const BatchOptions& options, const SimulationState& state, std::vector<std::string> legend)
{
    MainChart chart;
    FillChart(chart, options, state, std::move(legend));
    return RenderChartImage(chart.Plot(), options.chartWidth, options.chartHeight, kFittedChart);
}

void WriteFigure(const BatchOptions& options, const SimulationState& state, std::vector<std::string> legend,
                 ProgressSink& progress, StageTimings& timings)
{
    WithFigure(options, state, std::move(legend), progress, [&](const Figure& figure) {
        timings.Time("figure", [&] { SaveFigure(figure, *options.figureFile, PageOf(options)); });
    });
}

QImage FigureFrame(const BatchOptions& options, const SimulationState& state, std::vector<std::string> legend,
                   ProgressSink& progress)
{
    QImage frame;
    WithFigure(options, state, std::move(legend), progress,
               [&](const Figure& figure) { frame = RenderFigure(figure, PageOf(options)); });
    return frame;
}

}  // namespace nivaro
