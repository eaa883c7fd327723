#include "MainWindow.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>
#include <new>

#include "ChartHost.h"
#include "WindowTexts.h"
#include "UserDialogs.h"
#include "ProgressView.h"
#include "carpet/BmpWriter.h"
#include "carpet/CarpetPixels.h"
#include "carpet/DataFile.h"
#include "configuration/Configuration.h"
#include "engine/CarpetPass.h"
#include "engine/DensityGrid.h"
#include "engine/SettingsValidation.h"
#include "engine/SurfaceData.h"
#include "platform/AtomicFile.h"
#include "platform/FileError.h"
#include "platform/NumberText.h"

namespace nivaro {

// The busy state of a computation: panel disabled, hourglass, progress view.
// Always left, also when an exception passes through; nested computations
// (the carpet started by the page rule) leave it only at the outermost level.
class MainWindow::BusyState {
public:
    BusyState(MainWindow& window, bool clearStatus) : window_(window)
    {
        if (window_.busyDepth_++ == 0) {
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
    ~BusyState()
    {
        window_.SetViewOfPage();
        if (--window_.busyDepth_ == 0) {
            QApplication::restoreOverrideCursor();
            window_.controlPanel_->setEnabled(true);
        }
    }

private:
    MainWindow& window_;
};

// The panel's values are converted all together and taken over only when
// every field converts and the computation can use them; otherwise the
// previous values stay and the user is told why.
bool MainWindow::TakeOverParameters()
{
    SimulationParameters taken = state_.parameters;
    try {
        taken.slits = StrToInt(Text(slitsField_));
        taken.mass = StrToFloat(massBox_->currentText().toStdString());
        taken.lambda = StrToFloat(Text(lambdaField_));
        taken.d = StrToFloat(Text(periodField_));
        taken.sigma0 = StrToFloat(Text(sigma0Field_));
        taken.slitWidth = StrToFloat(Text(slitWidthField_));
    } catch (const ConversionError& error) {
        dialogs_.ShowError(QString::fromUtf8(error.what()));
        return false;
    }
    const SimulationParameters previous = state_.parameters;
    state_.parameters = taken;
    const std::vector<SettingProblem> problems = FindUnusableSettings(state_);
    if (!problems.empty()) {
        state_.parameters = previous;
        dialogs_.ShowError(QString::fromUtf8(UnusableSettingsError(problems).what()));
        return false;
    }
    return true;
}

void MainWindow::ApplyParameters()
{
    if (Busy() || !applyButton_->isEnabled()) {
        return;
    }
    applyButton_->setEnabled(false);
    if (TakeOverParameters()) {
        try {
            ComputeDensityGrid();
        } catch (const std::bad_alloc&) {
            dialogs_.ShowError(QStringLiteral("There is not enough memory for a grid of %1 by %2 points.")
                                   .arg(state_.grid.nx)
                                   .arg(state_.grid.nz));
        } catch (const std::exception& error) {
            dialogs_.ShowError(QString::fromUtf8(error.what()));
        }
    }
    applyButton_->setEnabled(true);
}

void MainWindow::ComputeDensityGrid()
{
    {
        const BusyState busy(*this, true);
        spectrumShown_ = false;
        nivaro::ComputeDensityGrid(state_, *progress_);
        mainChart_.FillSurface(state_.grid.nx, state_.grid.nz, SurfaceBlockMaxima(state_));
        if (showTrajectories3DBox_->isChecked()) {
            mainChart_.AddTrajectories(SurfaceTrajectories(state_));
        }
        WriteBackAndEchoConfiguration();
        carpetView_->setPixmap(QPixmap());
    }
    ShowViewOfPage();
}

PanelTexts MainWindow::CurrentPanelTexts() const
{
    return {Text(slitsField_), massBox_->currentText().toStdString(), Text(lambdaField_), Text(periodField_), Text(slitWidthField_), Text(sigma0Field_),
            Text(xScaleField_), Text(zScaleField_), Text(pScaleField_)};
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
    WriteBackConfiguration(configuration, CurrentPanelTexts(), state_.grid);
    try {
        configuration.Save(path);
    } catch (const FileError&) {
    }
    chart_.SetLegendTitle(LegendEcho(configuration));
}

void MainWindow::ApplyCarpet()
{
    if (Busy() || !carpetApplyButton_->isEnabled()) {
        return;
    }
    carpetApplyButton_->setEnabled(false);
    try {
        RenderCarpetImage();
    } catch (const std::exception& error) {
        dialogs_.ShowError(QString::fromUtf8(error.what()));
    }
    carpetApplyButton_->setEnabled(true);
}

void MainWindow::RenderCarpetImage()
{
    {
        const BusyState busy(*this, false);
        CarpetOptions options;
        try {
            options.contrast = StrToInt(Text(contrastField_));
        } catch (const ConversionError& error) {
            dialogs_.ShowError(QString::fromUtf8(error.what()));
            return;
        }
        options.showTrajectories = showTrajectoriesBox_->isChecked();
        if (useDataFileBox_->isChecked()) {
            options.dataFile = kDataFileName;
        }
        try {
            nivaro::RenderCarpet(state_, options, *progress_);
        } catch (const StaleDensityError& error) {
            statusLine_->setText(QString::fromUtf8(error.what()));
            return;
        }
        WriteImageFile();
        ShowCarpetPicture();
    }
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
    carpetView_->setPixmap(QPixmap::fromImage(picture));
    carpetView_->resize(picture.size());
}

}  // namespace nivaro
