#include "MainWindow.h"

#include <QKeyEvent>
#include <QLabel>

#include "CarpetContent.h"
#include "CarpetView.h"
#include "ChartHost.h"
#include "ColourBar.h"
#include "ParameterPanel.h"
#include "WindowMenus.h"
#include "engine/CarpetPass.h"
#include "engine/SpectrumTransform.h"
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
    statusLine_->setText(spectrumShown_ ? readouts_.SpectrumCell(row, column)
                                        : readouts_.SurfaceCell(row, column, controlPanel_->ShowsQuantumPotentialSurface()));
}

void MainWindow::HoverCarpet(QPoint pixel)
{
    state_.hoveredStart = kNoHoveredStart;
    if (spectrumShown_) {
        if (const std::optional<QString> text = readouts_.SpectrumPixel(pixel)) {
            statusLine_->setText(*text);
        }
    } else if (const auto point = readouts_.CarpetPixel(pixel, controlPanel_->ShowsQuantumPotentialCarpet())) {
        state_.hoveredStart = point->hoveredStart;
        statusLine_->setText(point->text);
    }
}

void MainWindow::ClickCarpet(QPoint pixel)
{
    if (!Busy() && !spectrumShown_ && carpet_->Recolour(pixel, controlPanel_->HighlightColour())) {
        SaveAndShowCarpetPicture();
        ShowViewOfPage();
    }
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
        menus_->Spectrum().setChecked(spectrumShown_);
        return;
    }
    if (spectrumShown_) {
        ShowDensitySurface();
        if (carpetBeforeSpectrum_) {
            carpet_->Show(controlPanel_->ShowsQuantumPotentialCarpet());
            UpdateColourBar();
        } else {
            carpetView_->Clear();
            ShowViewOfPage();  // draws the carpet when the 2D page is shown
        }
        return;
    }
    carpetBeforeSpectrum_ = carpetView_->HasPicture();
    ShowSpectrum();
}

void MainWindow::ShowDensitySurface(std::optional<DensitySurface> prepared)
{
    spectrumShown_ = false;
    menus_->Spectrum().setChecked(false);
    derived_.spectrum.Reshape(0, 0);
    if (controlPanel_->ShowsQuantumPotentialSurface() && EnsureQuantumPotential()) {
        surface_.ShowQuantumPotential(densityLegend_);
    } else {
        surface_.ShowDensity(prepared ? *prepared : PrepareDensitySurface(state_, controlPanel_->ShowsTrajectories3D()),
                             densityLegend_);
    }
    SurfaceChanged();
}

void MainWindow::SurfaceChanged()
{
    chartView_->RequestFit();
    UpdateColourBar();
}

void MainWindow::UpdateColourBar()
{
    const bool quantumPotentialCarpet = view_ == ViewMode::Image && controlPanel_->ShowsQuantumPotentialCarpet() &&
                                        derived_.HasQuantumPotential();
    colourBar_->setVisible(view_ == ViewMode::Chart || quantumPotentialCarpet);
    if (quantumPotentialCarpet) {
        ScaleColourBarToQuantumPotential(*colourBar_, *derived_.quantumPotentialRange);
    } else {
        surface_.ScaleColourBar(*colourBar_);
    }
}

void MainWindow::ShowSpectrum()
{
    SpectrumOfPsi(state_, derived_.spectrum);
    spectrumShown_ = true;
    menus_->Spectrum().setChecked(true);
    surface_.ShowSpectrum(densityLegend_);
    SurfaceChanged();
    carpetView_->ShowPicture(SpectrumPicture(derived_.spectrum));
    const SurfaceAxes axes = SpectrumSurfaceAxes(state_);
    const double perBin = axes.xPerBlock / 2 * 1e-9;
    carpetView_->SetAxes({-kSpectrumSize / 2 * perBin, perBin, -kSpectrumSize / 2 * axes.zPerBlock / 2 * 1e-9,
                          axes.zPerBlock / 2 * 1e-9, QStringLiteral("fx [1/nm]"), QStringLiteral("fz [1/nm]")});
}

void MainWindow::RelabelAxes()
{
    surface_.Relabel(menus_->NanometreLabels().isChecked());
    SurfaceChanged();
}

}  // namespace nivaro
