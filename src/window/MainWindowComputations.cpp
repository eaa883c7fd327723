#include "MainWindow.h"

#include <QApplication>
#include <QImage>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <new>
#include <optional>

#include "CarpetView.h"
#include "ParameterPanel.h"
#include "ProgressView.h"
#include "UserDialogs.h"
#include "WindowTexts.h"
#include "carpet/BmpWriter.h"
#include "carpet/CarpetPixels.h"
#include "carpet/DataFile.h"
#include "configuration/Configuration.h"
#include "engine/CarpetPass.h"
#include "engine/DensityGrid.h"
#include "engine/KeptResults.h"
#include "engine/OrderedBlocks.h"
#include "engine/SettingsValidation.h"
#include "engine/SurfaceData.h"
#include "platform/AtomicFile.h"
#include "platform/FileError.h"
#include "platform/SystemMemory.h"

namespace nivaro {

// The busy state of a computation: panel disabled, hourglass, progress view.
// Always left, also when an exception passes through; nested computations
// (the carpet started by the page rule) leave it only at the outermost level.
class MainWindow::BusyState {
public:
    BusyState(MainWindow& window, bool clearStatus) : window_(window)
    {
        if (window_.busyDepth_++ == 0) {
            if (!window_.closing_) {
                window_.state_.stopRequested = false;
            }
            window_.progressView_->Begin();
            window_.controlPanel_->setEnabled(false);
            window_.setFocus();
            QApplication::setOverrideCursor(Qt::WaitCursor);
        }
        if (clearStatus) {
            window_.statusLine_->clear();
        }
        window_.SetView(ViewMode::Progress);
    }
    BusyState(const BusyState&) = delete;
    BusyState& operator=(const BusyState&) = delete;
    // Cancel was pressed (closing the window stops work too, but is no cancel).
    bool Cancelled() const { return window_.state_.stopRequested && !window_.closing_; }
    ~BusyState()
    {
        window_.SetViewOfPage();
        if (--window_.busyDepth_ == 0) {
            window_.progressView_->Finish(Cancelled());
            QApplication::restoreOverrideCursor();
            window_.controlPanel_->setEnabled(true);
        }
    }

private:
    MainWindow& window_;
};

void MainWindow::ApplyParameters()
{
    if (Busy() || !controlPanel_->ApplyButton()->isEnabled()) {
        return;
    }
    controlPanel_->ApplyButton()->setEnabled(false);
    delayedApplyTimer_->stop();  // this Apply serves a pending delayed one
    RefreshMemoryLimit();
    // The grids shown are set aside until new ones are complete.
    KeptResults kept(state_, KeptResults::Keep::AllGrids);
    if (!TakeOverAndCompute()) {
        kept.Restore(state_);
    }
    controlPanel_->ApplyButton()->setEnabled(true);
}

bool MainWindow::TakeOverAndCompute()
{
    if (const std::optional<QString> refusal = controlPanel_->TakeOverParameters(state_)) {
        dialogs_.ShowError(*refusal);
        return false;
    }
    if (!WorkAccepted(ParametersPlan())) {
        return false;
    }
    try {
        return ComputeDensityGrid();
    } catch (const std::bad_alloc&) {
        dialogs_.ShowError(QStringLiteral("There is not enough memory for a grid of %1 by %2 points.")
                               .arg(state_.grid.nx)
                               .arg(state_.grid.nz));
    } catch (const std::exception& error) {
        dialogs_.ShowError(QString::fromUtf8(error.what()));
    }
    return false;
}

RunPlan MainWindow::CarpetPlan() const
{
    const CarpetOptions options = controlPanel_->CarpetSettings();
    RunPlan plan;
    plan.density = false;
    plan.carpet = true;
    plan.carpetTrajectories = options.showTrajectories;
    if (options.showTrajectories && options.dataFile) {
        if (const std::optional<std::vector<DataFileRecord>> records = ReadDataFile(*options.dataFile)) {
            plan.dataFileStarts = records->size();
        }
    }
    return plan;
}

RunPlan MainWindow::ParametersPlan() const
{
    RunPlan plan = controlPanel_->CurrentPage() == ParameterPanel::Page::Carpet ? CarpetPlan() : RunPlan{};
    plan.density = true;
    plan.surfaceTrajectories = controlPanel_->ShowsTrajectories3D();
    return plan;
}

// The grids shown stay in memory while new ones are computed, so that a
// cancelled computation can give them back: new grids must fit beside them.
void MainWindow::RefreshMemoryLimit()
{
    state_.gridMemoryLimit = AvailableMemoryBytes();
}

bool MainWindow::WorkAccepted(const RunPlan& plan)
{
    const WorkEstimate estimate = EstimateWork(state_, plan, ThreadCount(state_.threads));
    const double available = static_cast<double>(state_.gridMemoryLimit);
    if (estimate.memoryBytes > available) {
        dialogs_.ShowError(QStringLiteral("This computation needs about %1 GB of memory, but %2 GB is available now.")
                               .arg(estimate.memoryBytes / 1e9, 0, 'g', 3)
                               .arg(available / 1e9, 0, 'g', 3));
        return false;
    }
    const std::optional<std::string> beyond = WorkBeyondLimits(estimate, WorkLimits{});
    return !beyond || dialogs_.ConfirmLongWork(QString::fromStdString(*beyond));
}

bool MainWindow::ComputeDensityGrid()
{
    {
        const BusyState busy(*this, true);
        nivaro::ComputeDensityGrid(state_, *progressView_);
        if (busy.Cancelled()) {
            return false;
        }
        WriteBackAndEchoConfiguration();
        computedTexts_ = controlPanel_->Texts();
        carpetView_->Clear();
        recolouredTrajectories_.clear();
        ShowDensitySurface();
    }
    ShowViewOfPage();
    return true;
}

// The automatic write-back stays silent when the file cannot be written; the
// legend then echoes the settings as they would have been written.
void MainWindow::WriteBackAndEchoConfiguration()
{
    const std::string path = (exeDirectory_ + QString::fromLatin1(kConfigurationFileName)).toStdString();
    IniFile configuration;
    try {
        configuration = IniFile::Load(path);
    } catch (const FileError&) {
    }
    WriteBackConfiguration(configuration, controlPanel_->Texts(), state_.grid);
    try {
        configuration.Save(path);
    } catch (const FileError&) {
    }
    densityLegend_ = LegendEcho(configuration);
}

void MainWindow::ApplyCarpet()
{
    if (Busy() || !controlPanel_->CarpetApplyButton()->isEnabled()) {
        return;
    }
    controlPanel_->CarpetApplyButton()->setEnabled(false);
    try {
        RenderCarpetImage();
    } catch (const std::exception& error) {
        dialogs_.ShowError(QString::fromUtf8(error.what()));
    }
    controlPanel_->CarpetApplyButton()->setEnabled(true);
}

void MainWindow::RenderCarpetImage()
{
    RefreshMemoryLimit();
    if (!WorkAccepted(CarpetPlan())) {
        return;
    }
    if (spectrumShown_) {
        ToggleSpectrum();  // the carpet replaces the spectrum's picture
    }
    try {
        const BusyState busy(*this, false);
        KeptResults kept(state_, KeptResults::Keep::CarpetGrids);
        const CarpetOptions options = controlPanel_->CarpetSettings();
        nivaro::RenderCarpet(state_, options, *progressView_);
        if (busy.Cancelled()) {
            kept.Restore(state_);
            return;
        }
        // Clicked trajectories keep their colour until the next Apply.
        if (options.showTrajectories) {
            for (const auto& [startRow, colour] : recolouredTrajectories_) {
                RepaintTrajectory(state_, startRow, colour);
            }
        }
    } catch (const StaleDensityError& error) {
        statusLine_->setText(QString::fromUtf8(error.what()));
        return;
    }
    WriteImageFile();
    ShowCarpetPicture();
    ShowViewOfPage();
}

// "out.bmp" in the current folder; a failure is told in the status line.
bool MainWindow::WriteImageFile()
{
    try {
        AtomicFile image(kImageFileName, true);
        WriteBitmap(image.Stream(), state_.carpetRed, state_.carpetGreen, state_.carpetBlue);
        image.Commit();
        return true;
    } catch (const FileError& error) {
        statusLine_->setText(QStringLiteral("The carpet could not be saved as %1").arg(QString::fromUtf8(error.what())));
        return false;
    }
}

// The picture comes straight from the planes, so it shows even when
// "out.bmp" could not be written.
void MainWindow::ShowCarpetPicture()
{
    const int rows = state_.grid.nx;
    const int columns = state_.grid.nz;
    QImage picture(columns, rows, QImage::Format_RGB888);
    for (int row = 0; row < rows; ++row) {
        InterleaveRgbRow(state_.carpetRed, state_.carpetGreen, state_.carpetBlue, row, picture.scanLine(row));
    }
    carpetView_->ShowPicture(std::move(picture));
    const SimulationParameters& p = state_.parameters;
    carpetView_->SetAxes({RowPosition(state_, 0) * 1e9, state_.grid.dx / state_.scaleX.Factor() * 1e9,
                          ColumnPosition(state_, 0) * 1e9, state_.grid.dz / state_.scaleZ.Factor() * 1e9,
                          Formatted("x [nm]   (d = %.4g nm)", p.d * 1e9),
                          Formatted("z [nm]   (zt = %.4g nm)", p.TalbotLength() * 1e9)});
}

}  // namespace nivaro
