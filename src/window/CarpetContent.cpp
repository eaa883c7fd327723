#include "CarpetContent.h"

#include <QLabel>
#include <QScreen>
#include <algorithm>

#include "figure/CarpetPicture.h"
#include "ComputationRunner.h"
#include "CarpetView.h"
#include "HistogramPlot.h"
#include "ProgressView.h"
#include "WindowTexts.h"
#include "carpet/BmpWriter.h"
#include "engine/CarpetPass.h"
#include "engine/DensityGrid.h"
#include "platform/AtomicFile.h"
#include "platform/FileError.h"

namespace nivaro {
namespace {

// Beside the main window where its screen has room, right then left, so
// that the plot covers neither the carpet nor the colour bar at its right;
// else over the window's lower left, no wider than a third of the window,
// away from the colour bar. The window's own geometry serves even while the
// carpet is not laid out yet (the first computation of a session).
QRect PlaceBeside(const QWidget& window, QSize size)
{
    constexpr int kGap = 8;
    constexpr int kNarrowest = 240;
    constexpr int kStatusRoom = 48;
    const QRect frame = window.frameGeometry();
    const QRect screen = window.screen()->availableGeometry();
    const int top = std::clamp(frame.bottom() - size.height(), screen.top(), std::max(screen.top(), screen.bottom() - size.height()));
    if (frame.right() + kGap + size.width() <= screen.right()) {
        return {QPoint(frame.right() + kGap, top), size};
    }
    if (frame.left() - kGap - size.width() >= screen.left()) {
        return {QPoint(frame.left() - kGap - size.width(), top), size};
    }
    const QSize inside(std::min(size.width(), std::max(kNarrowest, window.width() / 3)), size.height());
    return {window.mapToGlobal(QPoint(kGap, window.height() - inside.height() - kStatusRoom)), inside};
}

}  // namespace

CarpetContent::CarpetContent(QWidget& window, CarpetView& view, QLabel& statusLine, ComputationRunner& runner,
                             ProgressView& progress, SimulationState& state, DerivedResults& derived)
    : window_(window),
      view_(view),
      statusLine_(statusLine),
      runner_(runner),
      progress_(progress),
      state_(state),
      derived_(derived)
{
}

CarpetContent::~CarpetContent() = default;

void CarpetContent::SaveAndShow(bool quantumPotential)
{
    QImage picture;
    std::optional<QString> failure;
    {
        const ComputationRunner::Scope busy(runner_, ComputationRunner::Status::Untouched);
        runner_.Run(progress_, [&](ProgressSink&) {
            failure = WriteImageFile();
            picture = ComposeCarpetPicture(state_, derived_, quantumPotential, colourMap_);
        });
    }
    if (failure) {
        statusLine_.setText(*failure);
    }
    ShowPicture(std::move(picture));
}

bool CarpetContent::HasPicture() const
{
    return view_.HasPicture();
}

void CarpetContent::Clear()
{
    view_.Clear();
}

void CarpetContent::Show(bool quantumPotential)
{
    ShowPicture(ComposeCarpetPicture(state_, derived_, quantumPotential, colourMap_));
}

void CarpetContent::ShowPicture(QImage picture)
{
    view_.ShowPicture(std::move(picture));
    const SimulationParameters& p = state_.parameters;
    view_.SetAxes({RowPosition(state_, 0) * 1e9, state_.grid.dx / state_.scaleX.Factor() * 1e9,
                   ColumnPosition(state_, 0) * 1e9, state_.grid.dz / state_.scaleZ.Factor() * 1e9,
                   Formatted("x [nm]   (d = %.4g nm)", p.d * 1e9), Formatted("z [nm]   (zt = %.4g nm)", p.TalbotLength() * 1e9)});
}

std::optional<QString> CarpetContent::WriteImageFile() const
{
    try {
        AtomicFile image(kImageFileName, true);
        WriteBitmap(image.Stream(), state_.carpetRed, state_.carpetGreen, state_.carpetBlue);
        image.Commit();
        return std::nullopt;
    } catch (const FileError& error) {
        return QStringLiteral("The carpet could not be saved as %1").arg(QString::fromUtf8(error.what()));
    }
}

void CarpetContent::ShowHistogram()
{
    if (!derived_.ensemble) {
        if (histogramPlot_) {
            histogramPlot_->hide();
        }
        return;
    }
    const EnsembleChoices& choices = derived_.ensembleChoices;
    const int column = choices.histogramColumn.value_or(state_.grid.nz - 1);
    const EnsembleHistogram histogram = HistogramAt(state_, derived_.ensemble->paths, column, choices.bins);
    if (!histogramPlot_) {
        histogramPlot_ = std::make_unique<HistogramPlot>(&window_);
        histogramPlot_->setObjectName(QStringLiteral("histogramPlot"));
        histogramPlot_->setGeometry(PlaceBeside(window_, histogramPlot_->size()));
    }
    histogramPlot_->ShowHistogram(histogram, state_.parameters.d, ColumnPosition(state_, column));
    histogramPlot_->show();
    statusLine_.setText(histogramPlot_->Note());
}

void CarpetContent::PickHistogramColumn(int column)
{
    derived_.ensembleChoices.histogramColumn = column;
    ShowHistogram();
}

bool CarpetContent::Recolour(QPoint pixel, Rgb colour)
{
    const RealMatrixT& starts = state_.trajectoryStartGrid;
    const int x = pixel.x();
    const int y = pixel.y();
    if (y < 0 || y >= starts.Rows() || x < 0 || x >= starts.Cols()) {
        return false;
    }
    const int startRow = static_cast<int>(starts[y][x]);
    if (startRow == 0) {
        return false;
    }
    const RecolouredPath path{startRow, colour};
    if (!RepaintPaths({&path, 1})) {
        return false;
    }
    recoloured_.push_back(path);
    return true;
}

void CarpetContent::RepaintRecoloured()
{
    RepaintPaths(recoloured_);
}

// The paths are traced off the window's thread (the wave model fills its
// velocity table first, seconds on a large grid) and painted on it.
bool CarpetContent::RepaintPaths(std::span<const RecolouredPath> paths)
{
    PathCellList cells;
    {
        const ComputationRunner::Scope busy(runner_, ComputationRunner::Status::Untouched);
        runner_.Run(progress_, [&](ProgressSink&) { cells = TracePathCells(state_, paths); });
        if (runner_.Stopped()) {
            return false;
        }
    }
    PaintPathCells(state_, paths, cells);
    return true;
}

}  // namespace nivaro
