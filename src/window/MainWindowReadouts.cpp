#include "MainWindow.h"

#include <QKeyEvent>
#include <QLabel>
#include <algorithm>
#include <cmath>

#include "CarpetView.h"
#include "ChartHost.h"
#include "ColourBar.h"
#include "ParameterPanel.h"
#include "WindowTexts.h"
#include "engine/CarpetPass.h"
#include "engine/DensityGrid.h"
#include "engine/SpectrumTransform.h"
#include "engine/SurfaceData.h"
#include "window/QuantumPotentialMap.h"
#include "platform/QPainterDevice.h"
#include "window/SpectrumPicture.h"

namespace nivaro {

void MainWindow::HoverSurface(NearestCellTool& tool)
{
    if (tool.Cell() == -1) {
        statusLine_->clear();
        return;
    }
    double row = 0.0;
    double column = 0.0;
    tool.GetRowCol(chart_, row, column);
    if (spectrumShown_) {
        // A cell is a 2 by 2 block of the shifted 256 by 256 magnitudes; u and v
        // count the bins of the transform as it stores them.
        const int u = (2 * static_cast<int>(row) + kSpectrumSize) % kSpectrumSize;
        const int v = (2 * static_cast<int>(column) + kSpectrumSize) % kSpectrumSize;
        const SurfaceAxes axes = SpectrumSurfaceAxes(state_);
        statusLine_->setText(Formatted("FFT2: u = %d, v = %d, fx = %.4f 1/nm, fz = %.4f 1/nm, |F| = %.3e", u, v,
                                       row * axes.xPerBlock * 1e-9, column * axes.zPerBlock * 1e-9,
                                       derived_.spectrum[u][v]));
        return;
    }
    const SurfaceCellPosition cell = SurfaceCellAt(state_, row, column);
    const SimulationParameters& p = state_.parameters;
    statusLine_->setText(Formatted("x = %.1f nm (%.3f d), z = %.1f nm (%.3f zt), norm(PSI) = %.3e", cell.x * 1e9,
                                   cell.x / p.d, cell.z * 1e9, cell.z / p.TalbotLength(),
                                   state_.densityField[cell.gridRow][cell.gridColumn]) +
                         QuantumPotentialReadout(controlPanel_->ShowsQuantumPotentialSurface(), cell.gridRow,
                                                 cell.gridColumn));
}

void MainWindow::HoverCarpet(QPoint pixel)
{
    const int x = pixel.x();
    const int y = pixel.y();
    state_.hoveredStart = kNoHoveredStart;
    if (spectrumShown_) {
        HoverSpectrumPicture(pixel);
        return;
    }
    if (y < 0 || y >= state_.carpetRed.Rows() || x < 0 || x >= state_.carpetRed.Cols()) {
        return;
    }
    const int red = state_.carpetRed[y][x];
    const int green = state_.carpetGreen[y][x];
    const int blue = state_.carpetBlue[y][x];
    const SimulationParameters& p = state_.parameters;
    const double xm = RowPosition(state_, y);
    const double zm = ColumnPosition(state_, x);
    const QString where = Formatted(" | x = %.1f nm (%.3f d), z = %.1f nm (%.3f zt), norm(PSI) = %.3e", xm * 1e9,
                                    xm / p.d, zm * 1e9, zm / p.TalbotLength(), state_.densityField[y][x]) +
                          QuantumPotentialReadout(controlPanel_->ShowsQuantumPotentialCarpet(), y, x);
    const RealMatrixT& starts = state_.trajectoryStartGrid;
    const double start = y < starts.Rows() && x < starts.Cols() ? starts[y][x] : 0.0;
    const int startRow = static_cast<int>(start);
    if (startRow == 0) {
        statusLine_->setText(Formatted("x = %d, z = %d, RGB = %d:%d:%d", y, x, red, green, blue) + where);
        return;
    }
    state_.hoveredStart = startRow;
    const double xs = RowPosition(state_, startRow);
    statusLine_->setText(Formatted("x = %d, z = %d, RGB = %d:%d:%d, Start = %.2f (%.0f nm, %.03f d)", y, x, red, green,
                                   blue, start, xs * 1e9, xs / p.d) +
                         where);
}

QString MainWindow::QuantumPotentialReadout(bool shown, int row, int column) const
{
    if (!shown || !derived_.HasQuantumPotential() || row < 0 || row >= derived_.quantumPotential.Rows() || column < 0 ||
        column >= derived_.quantumPotential.Cols()) {
        return {};
    }
    const double q = derived_.quantumPotential[row][column];
    return std::isnan(q) ? QStringLiteral(", Q = no value") : Formatted(", Q = %.4e eV", q);
}

// The picture of the spectrum has zero frequency at its middle pixel.
void MainWindow::HoverSpectrumPicture(QPoint pixel)
{
    if (!QRect(0, 0, kSpectrumSize, kSpectrumSize).contains(pixel)) {
        return;
    }
    const int half = kSpectrumSize / 2;
    const int u = (pixel.y() + half) % kSpectrumSize;
    const int v = (pixel.x() + half) % kSpectrumSize;
    const SurfaceAxes axes = SpectrumSurfaceAxes(state_);
    statusLine_->setText(Formatted("FFT2: u = %d, v = %d, fx = %.4f 1/nm, fz = %.4f 1/nm, |F| = %.3e", u, v,
                                   (pixel.y() - half) * axes.xPerBlock / 2 * 1e-9,
                                   (pixel.x() - half) * axes.zPerBlock / 2 * 1e-9, derived_.spectrum[u][v]));
}

void MainWindow::ClickCarpet(QPoint pixel)
{
    const int x = pixel.x();
    const int y = pixel.y();
    if (Busy() || spectrumShown_ || y < 0 || y >= state_.trajectoryStartGrid.Rows() || x < 0 ||
        x >= state_.trajectoryStartGrid.Cols()) {
        return;
    }
    const int startRow = static_cast<int>(state_.trajectoryStartGrid[y][x]);
    if (startRow == 0) {
        return;
    }
    const Rgb colour = controlPanel_->HighlightColour();
    RepaintTrajectory(state_, startRow, colour);
    recolouredTrajectories_.push_back({startRow, colour});
    SaveAndShowCarpetPicture(BusyStatus::Untouched);
    ShowViewOfPage();
}

void MainWindow::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape) {
        CancelComputation();
    }
    QWidget::keyPressEvent(event);
}

void MainWindow::ToggleSpectrum()
{
    if (Busy()) {
        spectrumAction_->setChecked(spectrumShown_);
        return;
    }
    if (spectrumShown_) {
        ShowDensitySurface();
        if (carpetBeforeSpectrum_) {
            ShowCarpetPicture();
        } else {
            carpetView_->Clear();
            ShowViewOfPage();  // draws the carpet when the 2D page is shown
        }
        return;
    }
    carpetBeforeSpectrum_ = carpetView_->HasPicture();
    ShowSpectrumSurface();
}

void MainWindow::ShowDensitySurface(std::optional<DensitySurface> prepared)
{
    spectrumShown_ = false;
    spectrumAction_->setChecked(false);
    derived_.spectrum.Reshape(0, 0);
    if (controlPanel_->ShowsQuantumPotentialSurface() && EnsureQuantumPotential()) {
        ShowQuantumPotentialSurface();
        return;
    }
    const DensitySurface surface =
        prepared ? std::move(*prepared) : PrepareDensitySurface(state_, controlPanel_->ShowsTrajectories3D());
    const SurfaceBlockCounts counts = SurfaceBlocks(state_.grid);
    mainChart_.FillSurface(counts.x, counts.z, surface.blocks);
    if (surface.trajectories) {
        mainChart_.AddTrajectories(*surface.trajectories);
    }
    chart_.SetLegendTitle(densityLegend_);
    RelabelAxes();
}

// Q at the middle of each surface block, within the clip range; a block
// without a value lies flat and grey.
void MainWindow::ShowQuantumPotentialSurface()
{
    const DivergingMap colours(*derived_.quantumPotentialRange);
    std::vector<SurfacePoint> points = SurfaceBlockCentres(state_, derived_.quantumPotential);
    std::vector<QColor> pointColours;
    for (SurfacePoint& point : points) {
        pointColours.push_back(colours(point.y));
        point.y = std::isnan(point.y) ? 0.0 : std::clamp(point.y, colours.Lowest(), colours.Highest());
    }
    const SurfaceBlockCounts counts = SurfaceBlocks(state_.grid);
    mainChart_.FillSurface(counts.x, counts.z, points);
    for (std::size_t k = 0; k < pointColours.size(); ++k) {
        const QColor& c = pointColours[k];
        densitySurface_.SetValueColor(static_cast<int>(k), RgbColor(c.red(), c.green(), c.blue()));
    }
    std::vector<std::string> legend = densityLegend_;
    legend.push_back("Q [eV]");
    chart_.SetLegendTitle(std::move(legend));
    RelabelAxes();
}

void MainWindow::UpdateColourBar()
{
    const bool quantumPotentialCarpet = view_ == ViewMode::Image && controlPanel_->ShowsQuantumPotentialCarpet() &&
                                        derived_.HasQuantumPotential();
    const bool quantumPotentialSurface = view_ == ViewMode::Chart && !spectrumShown_ &&
                                         controlPanel_->ShowsQuantumPotentialSurface() && derived_.HasQuantumPotential();
    colourBar_->setVisible(view_ == ViewMode::Chart || quantumPotentialCarpet);
    if (quantumPotentialCarpet || quantumPotentialSurface) {
        const DivergingMap colours(*derived_.quantumPotentialRange);
        colourBar_->SetScale(colours, colours.Lowest(), colours.Highest(), QStringLiteral("Q [eV]"));
        return;
    }
    const ValueList& heights = densitySurface_.YValues();
    colourBar_->SetScale([this](double value) { return ToQColor(densitySurface_.GetValueColorValue(value)); },
                         heights.Count() > 0 ? heights.MinValue() : 0.0, heights.Count() > 0 ? heights.MaxValue() : 0.0,
                         spectrumShown_ ? QStringLiteral("|F|") : QStringLiteral("norm(PSI)"));
}

void MainWindow::ShowSpectrumSurface()
{
    const SurfaceAxes axes = SpectrumSurfaceAxes(state_);
    SpectrumOfPsi(state_, derived_.spectrum);
    spectrumShown_ = true;
    spectrumAction_->setChecked(true);
    mainChart_.FillSurface(kSpectrumSize / 2, kSpectrumSize / 2, SpectrumSurfacePoints(derived_.spectrum, state_.scaleP.Factor()));
    std::vector<std::string> legend = densityLegend_;
    legend.push_back("FFT2");
    chart_.SetLegendTitle(std::move(legend));
    RelabelAxes();
    carpetView_->ShowPicture(SpectrumPicture(derived_.spectrum));
    const double perBin = axes.xPerBlock / 2 * 1e-9;
    carpetView_->SetAxes({-kSpectrumSize / 2 * perBin, perBin, -kSpectrumSize / 2 * axes.zPerBlock / 2 * 1e-9,
                          axes.zPerBlock / 2 * 1e-9, QStringLiteral("fx [1/nm]"), QStringLiteral("fz [1/nm]")});
}

void MainWindow::RelabelAxes()
{
    ChartAxis& across = chart_.BottomAxis;
    ChartAxis& along = chart_.DepthAxis;
    if (!nanometreLabelsAction_->isChecked()) {
        across.LabelScale = along.LabelScale = 1.0;
        along.LabelOffset = 0.0;
        across.Title = "X";
        along.Title = "Z";
    } else if (spectrumShown_) {
        const SurfaceAxes axes = SpectrumSurfaceAxes(state_);
        across.LabelScale = axes.xPerBlock * 1e-9;
        along.LabelScale = axes.zPerBlock * 1e-9;
        along.LabelOffset = 0.0;
        across.Title = "fx [1/nm]";
        along.Title = "fz [1/nm]";
    } else {
        const SurfaceAxes axes = DensitySurfaceAxes(state_);
        const SimulationParameters& p = state_.parameters;
        across.LabelScale = axes.xPerBlock * 1e9;
        along.LabelScale = axes.zPerBlock * 1e9;
        along.LabelOffset = axes.zAtZero * 1e9;
        across.Title = Formatted("x [nm]   (d = %.4g nm)", p.d * 1e9).toStdString();
        along.Title = Formatted("z [nm]   (zt = %.4g nm)", p.TalbotLength() * 1e9).toStdString();
    }
    chartView_->RequestFit();
    UpdateColourBar();
}

}  // namespace nivaro
