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
class TForm5::BusyState {
public:
    BusyState(TForm5& form, bool clearStatus) : form_(form)
    {
        if (form_.busyDepth_++ == 0) {
            form_.Panel1->setEnabled(false);
            form_.setFocus();
            QApplication::setOverrideCursor(Qt::WaitCursor);
        }
        if (clearStatus) {
            form_.Label1->clear();
        }
        form_.SetView(ViewMode::Progress);
    }
    BusyState(const BusyState&) = delete;
    BusyState& operator=(const BusyState&) = delete;
    ~BusyState()
    {
        form_.ShowViewOfPage();
        if (--form_.busyDepth_ == 0) {
            QApplication::restoreOverrideCursor();
            form_.Panel1->setEnabled(true);
        }
    }

private:
    TForm5& form_;
};

// The panel's values are converted all together and taken over only when
// every field converts and the computation can use them; otherwise the
// previous values stay and the user is told why.
bool TForm5::TakeOverParameters()
{
    SimulationParameters taken = state_.parameters;
    try {
        taken.slits = StrToInt(Text(Edit1));
        taken.mass = StrToFloat(ComboBox1->currentText().toStdString());
        taken.lambda = StrToFloat(Text(Edit2));
        taken.d = StrToFloat(Text(Edit3));
        taken.sigma0 = StrToFloat(Text(Edit6));
        taken.slitWidth = StrToFloat(Text(Edit7));
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

void TForm5::Button4Click()
{
    if (Busy() || !Button4->isEnabled()) {
        return;
    }
    Button4->setEnabled(false);
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
    Button4->setEnabled(true);
}

void TForm5::ComputeDensityGrid()
{
    {
        const BusyState busy(*this, true);
        spectrumShown_ = false;
        nivaro::ComputeDensityGrid(state_, *progress_);
        mainChart_.FillSurface(state_.grid.nx, state_.grid.nz, SurfaceBlockMaxima(state_));
        if (CheckBox1->isChecked()) {
            mainChart_.AddTrajectories(SurfaceTrajectories(state_));
        }
        WriteBackAndEchoConfiguration();
        Image1->setPixmap(QPixmap());
    }
    PageControl1Change();
}

PanelTexts TForm5::CurrentPanelTexts() const
{
    return {Text(Edit1), ComboBox1->currentText().toStdString(), Text(Edit2), Text(Edit3), Text(Edit7), Text(Edit6),
            Text(Edit4), Text(Edit5), Text(Edit8)};
}

// The automatic write-back stays silent when the file cannot be written; the
// legend then echoes the settings as they would have been written.
void TForm5::WriteBackAndEchoConfiguration()
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

void TForm5::Button1Click()
{
    if (Busy() || !Button1->isEnabled()) {
        return;
    }
    Button1->setEnabled(false);
    try {
        RenderCarpetImage();
    } catch (const std::exception& error) {
        dialogs_.ShowError(QString::fromUtf8(error.what()));
    }
    Button1->setEnabled(true);
}

void TForm5::RenderCarpetImage()
{
    {
        const BusyState busy(*this, false);
        CarpetOptions options;
        try {
            options.contrast = StrToInt(Text(Edit9));
        } catch (const ConversionError& error) {
            dialogs_.ShowError(QString::fromUtf8(error.what()));
            return;
        }
        options.showTrajectories = CheckBox2->isChecked();
        if (CheckBox4->isChecked()) {
            options.dataFile = kDataFileName;
        }
        try {
            nivaro::RenderCarpet(state_, options, *progress_);
        } catch (const StaleDensityError& error) {
            Label1->setText(QString::fromUtf8(error.what()));
            return;
        }
        WriteImageFile();
        ShowCarpetPicture();
    }
    PageControl1Change();
}

// "out.bmp" in the current folder; a failure is told in the status line.
bool TForm5::WriteImageFile()
{
    try {
        AtomicFile image(kImageFileName, true);
        WriteBitmap(image.Stream(), state_.carpetRed, state_.carpetGreen, state_.carpetBlue);
        image.Commit();
        return true;
    } catch (const FileError& error) {
        Label1->setText(QStringLiteral("The carpet could not be saved as %1").arg(QString::fromUtf8(error.what())));
        return false;
    }
}

// The picture comes straight from the planes, so it shows even when
// "out.bmp" could not be written.
void TForm5::ShowCarpetPicture()
{
    const int rows = state_.grid.nx;
    const int columns = state_.grid.nz;
    QImage picture(columns, rows, QImage::Format_RGB888);
    for (int row = 0; row < rows; ++row) {
        InterleaveRgbRow(state_.carpetRed, state_.carpetGreen, state_.carpetBlue, row, picture.scanLine(row));
    }
    Image1->setPixmap(QPixmap::fromImage(picture));
    Image1->resize(picture.size());
}

}  // namespace nivaro
