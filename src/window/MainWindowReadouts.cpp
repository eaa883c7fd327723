#include "MainWindow.h"

#include <QKeyEvent>
#include <QLabel>
#include <algorithm>

#include "ParameterPanel.h"
#include "WindowTexts.h"
#include "engine/CarpetPass.h"
#include "engine/DensityGrid.h"
#include "engine/SpectrumTransform.h"
#include "engine/SurfaceData.h"

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
    const RealMatrixT& density = state_.densityField;
    if (spectrumShown_) {
        // The spectrum's cells are 2 by 2 blocks of the 256 by 256 magnitudes.
        const int u = std::clamp(2 * static_cast<int>(row), 0, density.Rows() - 1);
        const int v = std::clamp(2 * static_cast<int>(column), 0, density.Cols() - 1);
        statusLine_->setText(Formatted("FFT2: u = %d, v = %d, |F| = %.3e", u, v, density[u][v]));
        return;
    }
    const SurfaceCellPosition cell = SurfaceCellAt(state_, row, column);
    const SimulationParameters& p = state_.parameters;
    statusLine_->setText(Formatted("x = %.0f nm (%.3f d), z = %.0f nm (%.3f zt), norm(PSI) = %.3e", cell.x * 1e9,
                              cell.x / p.d, cell.z * 1e9, cell.z / p.TalbotLength(),
                              density[cell.gridRow][cell.gridColumn]));
}

void MainWindow::HoverCarpet(QPoint pixel)
{
    const int x = pixel.x();
    const int y = pixel.y();
    state_.hoveredStart = kNoHoveredStart;
    if (y < 0 || y >= state_.carpetRed.Rows() || x < 0 || x >= state_.carpetRed.Cols()) {
        return;
    }
    const int red = state_.carpetRed[y][x];
    const int green = state_.carpetGreen[y][x];
    const int blue = state_.carpetBlue[y][x];
    const double start = state_.trajectoryStartGrid[y][x];
    const int startRow = static_cast<int>(start);
    if (startRow == 0) {
        statusLine_->setText(Formatted("x = %d, z = %d, RGB = %d:%d:%d", y, x, red, green, blue));
        return;
    }
    state_.hoveredStart = startRow;
    const double xs = RowPosition(state_, startRow);
    statusLine_->setText(Formatted("x = %d, z = %d, RGB = %d:%d:%d, Start = %.2f (%.0f nm, %.03f d)", y, x, red, green,
                              blue, start, xs * 1e9, xs / state_.parameters.d));
}

void MainWindow::ClickCarpet(QPoint pixel)
{
    const int x = pixel.x();
    const int y = pixel.y();
    if (Busy() || y < 0 || y >= state_.trajectoryStartGrid.Rows() || x < 0 ||
        x >= state_.trajectoryStartGrid.Cols()) {
        return;
    }
    const int startRow = static_cast<int>(state_.trajectoryStartGrid[y][x]);
    if (startRow == 0) {
        return;
    }
    RepaintTrajectory(state_, startRow, controlPanel_->HighlightColour());
    WriteImageFile();
    ShowCarpetPicture();
    ShowViewOfPage();
}

void MainWindow::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_F11) {
        ShowSpectrum();
    } else if (event->key() == Qt::Key_Escape) {
        CancelComputation();
    }
    QWidget::keyPressEvent(event);
}

void MainWindow::ShowSpectrum()
{
    if (Busy() || !ApplySpectrumView(state_)) {
        return;
    }
    spectrumShown_ = true;
    mainChart_.FillSurface(kSpectrumSize / 2, kSpectrumSize / 2, SpectrumSurfacePoints(state_));
    std::vector<std::string> legend = chart_.LegendTitle();
    legend.push_back("FFT2");
    chart_.SetLegendTitle(std::move(legend));
}

}  // namespace nivaro
