#include "MainWindow.h"

#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QPushButton>

#include "CarpetView.h"
#include "ChartHost.h"
#include "HelpTexts.h"
#include "CarpetPage.h"
#include "ParameterPanel.h"
#include "PictureOpener.h"
#include "ResultComputations.h"
#include "ResultExports.h"
#include "SweepRecorder.h"
#include "UserDialogs.h"
#include "WindowMenus.h"
#include "WindowTexts.h"
#include "carpet/DataFile.h"
#include "engine/TrajectoryStarts.h"

namespace nivaro {

void MainWindow::ConnectMenus()
{
    const WindowMenus& menus = *menus_;
    connect(&menus, &WindowMenus::saveViewRequested, this, &MainWindow::SaveView);
    connect(&menus, &WindowMenus::figureRequested, this, [this] { exports_->ExportFigure(views_->CurrentFigure()); });
    connect(&menus, &WindowMenus::colourMapChosen, this, [this] { views_->ApplyColourMap(menus_->ColourMap()); });
    connect(&menus, &WindowMenus::spectrumHeightToggled, this, [this] { views_->ApplySpectrumHeight(); });
    connect(&menus, &WindowMenus::copyViewRequested, this, &MainWindow::CopyView);
    connect(&menus, &WindowMenus::surfacePageRequested, this, [this] { ShowPage(ParameterPanel::Page::Surface); });
    connect(&menus, &WindowMenus::carpetPageRequested, this, [this] { ShowPage(ParameterPanel::Page::Carpet); });
    connect(&menus, &WindowMenus::spectrumToggled, this, &MainWindow::ToggleSpectrum);
    connect(&menus, &WindowMenus::visibilityRequested, this, [this] { views_->ShowVisibility(); });
    connect(&menus, &WindowMenus::labelsChosen, this, [this] { views_->RelabelAxes(); });
    connect(&menus, &WindowMenus::antialiasingToggled, this, &MainWindow::SetAntialiasing);
    connect(&menus, &WindowMenus::legendToggled, this, &MainWindow::SetLegendVisibility);
    connect(&menus, &WindowMenus::shortcutsRequested, this, &MainWindow::ShowShortcuts);
    connect(&menus, &WindowMenus::aboutRequested, this, &MainWindow::ShowAbout);
    connect(&menus, &WindowMenus::sweepRequested, this, &MainWindow::RunSweep);
    connect(&menus, &WindowMenus::openCarpetRequested, this, &MainWindow::OpenCarpetPicture);
    connect(&menus, &WindowMenus::clearDataFileRequested, this, &MainWindow::ClearDataFile);
    connect(&menus, &WindowMenus::addToDataFileRequested, this, &MainWindow::AddToDataFile);
    connect(&menus, &WindowMenus::carpetMenuOpening, this, &MainWindow::EnableCarpetMenuItems);
    connect(&menus, &WindowMenus::quitRequested, this, &QWidget::close);
}

void MainWindow::SaveView()
{
    if (views_->View() == ViewMode::Image) {
        exports_->ExportCarpet();
    } else {
        exports_->ExportChart();
    }
}

void MainWindow::CopyView()
{
    if (views_->View() == ViewMode::Image) {
        exports_->CopyCarpet();
    } else {
        exports_->CopyChart();
    }
}

void MainWindow::ShowPage(ParameterPanel::Page page)
{
    if (Busy()) {
        return;
    }
    controlPanel_->SelectPage(page);
    ShowViewOfPage();
}

void MainWindow::SetAntialiasing()
{
    const bool on = menus_->Antialiasing().isChecked();
    chartView_->SetAntialiasing(on);
    carpetView_->SetSmoothing(on);
    exports_->SetAntialiasing(on);
}

void MainWindow::ShowShortcuts()
{
    dialogs_.ShowInformation(QStringLiteral("Keyboard shortcuts"), ShortcutsTable(findChildren<QAction*>()));
}

void MainWindow::ShowAbout()
{
    dialogs_.ShowInformation(QStringLiteral("About Nivaro"), AboutText());
}

void MainWindow::EnableCarpetMenuItems()
{
    menus_->ClearDataFile().setEnabled(DataFileIsWritable(kDataFileName));
    menus_->AddToDataFile().setEnabled(state_.hoveredStart != kNoHoveredStart);
    menus_->OpenCarpet().setEnabled(carpetView_->HasPicture());
}

// The automatic data file stays silent when it cannot be written.
void MainWindow::AddToDataFile()
{
    if (state_.hoveredStart != kNoHoveredStart) {
        AppendToDataFile(kDataFileName, PositionOfStartRow(state_, state_.hoveredStart));
    }
}

void MainWindow::ClearDataFile()
{
    if (!dialogs_.Confirm(QStringLiteral("Delete the trajectory starts saved in %1?").arg(QString::fromLatin1(kDataFileName)))) {
        return;
    }
    DeleteDataFile(kDataFileName);
    ApplyCarpet();
}

void MainWindow::SetLegendVisibility()
{
    chart_.SetLegendVisible(menus_->Legend().isChecked());
    chartView_->RequestFit();
}

// What is on screen (Q, the spectrum, the sampled paths), as Save and Copy
// take it, not the grey carpet of "out.bmp".
void MainWindow::OpenCarpetPicture()
{
    if (const std::optional<QString> failure = pictureOpener_->Open(carpetView_->Picture())) {
        dialogs_.ShowError(*failure);
    }
}

// Afterwards the window computes the panel's settings again.
void MainWindow::RunSweep()
{
    if (Busy()) {
        return;
    }
    const std::optional<SweepRequest> request = dialogs_.AskSweep(QDir(exports_->SaveFolder()).absolutePath() + QLatin1Char('/'));
    // The dialog offers the last sweep's file again: a second sweep would
    // replace it unseen.
    if (!request || (QFileInfo::exists(request->file) &&
                     !dialogs_.Confirm(QStringLiteral("%1 already exists. Replace it with this sweep?")
                                           .arg(QDir::toNativeSeparators(request->file))))) {
        return;
    }
    exports_->SetSaveFolder(QFileInfo(request->file).absolutePath());
    computations_->RefreshMemoryLimit();
    SweepRecorder recorder(*runner_, *progressView_, *statusLine_, *controlPanel_, dialogs_, mainChart_);
    // Every frame of one size, whatever the window does meanwhile.
    const std::optional<QString> outcome = recorder.Record(*request, state_, chartView_->size());
    if (!outcome) {
        return;
    }
    ApplyParameters();  // the panel's own settings again
    statusLine_->setText(*outcome);
}

}  // namespace nivaro
