#include "MainWindow.h"

#include <QAction>
#include <QClipboard>
#include <QDesktopServices>
#include <QDir>
#include <QGuiApplication>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QUrl>

#include "CarpetView.h"
#include "ChartHost.h"
#include "ParameterPanel.h"
#include "UserDialogs.h"
#include "WindowTexts.h"
#include "carpet/DataFile.h"
#include "carpet/TableWriter.h"
#include "chart/export/ChartExport.h"
#include "engine/TrajectoryStarts.h"
#include "output/ArrayOutput.h"
#include "output/RunFile.h"
#include "platform/AtomicFile.h"

namespace nivaro {

void MainWindow::BuildMenus()
{
    const auto item = [this](QMenu* menu, const char* name, const char* caption, auto handler) {
        QAction* action = menu->addAction(QString::fromUtf8(caption));
        action->setObjectName(QString::fromLatin1(name));
        connect(action, &QAction::triggered, this, handler);
        return action;
    };
    const auto chartSave = [this](const char* suffix, const char* filter, auto save) {
        return [this, suffix, filter, save] {
            SaveWithDialog(suffix, filter, [this, save](const std::string& path) { save(chart_, path); });
        };
    };
    const auto pictureSave = [this](const char* suffix, const char* filter, auto save) {
        return [this, suffix, filter, save] {
            SaveWithDialog(suffix, filter, [this, save](const std::string& path) { save(CarpetPicture(), path); });
        };
    };
    constexpr const char* kJpg = "JPG files (*.jpg)";
    constexpr const char* kPng = "PNG files (*.png)";
    constexpr const char* kBmp = "BMP files (*.bmp)";

    viewLegendAction_ = item(chartMenu_, "viewLegendAction", "View Legend", &MainWindow::SetLegendVisibility);
    viewLegendAction_->setCheckable(true);
    viewLegendAction_->setChecked(true);
    chartMenu_->addSeparator();
    item(chartMenu_, "copyChartAction", "Copy to Clipboard", &MainWindow::CopyChart);
    item(chartMenu_, "saveChartJpegAction", "Save to File (*.jpg)",
         chartSave("jpg", kJpg, [this](Chart& chart, const std::string& path) {
             ChartSaveToJPEGFile(chart, path, 75, chartView_->width(), chartView_->height());
         }));
    item(chartMenu_, "saveChartPngAction", "Save to File (*.png)",
         chartSave("png", kPng, [this](Chart& chart, const std::string& path) {
             ChartSaveToPNG(chart, path, chartView_->width(), chartView_->height());
         }));
    item(chartMenu_, "saveChartBmpAction", "Save to File (*.bmp)",
         chartSave("bmp", kBmp, [](Chart& chart, const std::string& path) {
             ChartSaveToBitmap(chart, path, chart.Width(), chart.Height());
         }));
    chartMenu_->addSeparator();
    item(chartMenu_, "saveDensityTableAction", "norm(PSI) to File", &MainWindow::SaveDensityTable);

    item(carpetMenu_, "copyCarpetAction", "Copy to Clipboard",
         [this] { QGuiApplication::clipboard()->setImage(CarpetPicture()); });
    item(carpetMenu_, "saveCarpetJpegAction", "Save to File (*.jpg)",
         pictureSave("jpg", kJpg, [](const QImage& picture, const std::string& path) {
             SaveImageAsJpeg(picture, path, 90);
         }));
    item(carpetMenu_, "saveCarpetPngAction", "Save to File (*.png)", pictureSave("png", kPng, SaveImageAsPng));
    item(carpetMenu_, "saveCarpetBmpAction", "Save to File (*.bmp)", pictureSave("bmp", kBmp, SaveImageAsBmp));
    item(carpetMenu_, "openCarpetAction", "Open with...", &MainWindow::OpenCarpetPicture);
    carpetMenu_->addSeparator();
    item(carpetMenu_, "saveCarpetDensityTableAction", "norm(PSI) to File", &MainWindow::SaveDensityTable);
    carpetMenu_->addSeparator();
    clearDataFileAction_ = item(carpetMenu_, "clearDataFileAction", "Clear DAT-file", &MainWindow::ClearDataFile);
    addToDataFileAction_ = item(carpetMenu_, "addToDataFileAction", "Add to DAT-file", &MainWindow::AddToDataFile);
    connect(carpetMenu_, &QMenu::aboutToShow, this, &MainWindow::EnableCarpetMenuItems);

    QMenu* fileMenu = Named(menuBar_->addMenu(QStringLiteral("&File")), "fileMenu");
    exportRunAction_ = item(fileMenu, "exportRunAction", "&Export run...", &MainWindow::ExportRun);
    exportRunAction_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_E));
}

void MainWindow::SaveWithDialog(const char* suffix, const char* filter,
                            const std::function<void(const std::string&)>& save)
{
    if (Busy()) {
        return;
    }
    const std::optional<QString> name =
        dialogs_.AskSaveFileName({QString::fromLatin1(suffix), QString::fromLatin1(filter), exeDirectory_});
    if (!name) {
        return;
    }
    try {
        save(name->toStdString());
    } catch (const std::exception& error) {
        dialogs_.ShowError(QStringLiteral("The file could not be saved.\n%1").arg(QString::fromUtf8(error.what())));
    }
}

QImage MainWindow::CarpetPicture() const
{
    return carpetView_->Picture();
}

void MainWindow::CopyChart()
{
    CopyToClipboardMetafile(chart_, chartView_->width(), chartView_->height());
}

// The text table as before, or by the chosen filter's extension a NumPy
// array or an HDF5 file.
void MainWindow::SaveDensityTable()
{
    SaveWithDialog("txt", "Text files (*.txt);;NumPy arrays (*.npy);;HDF5 files (*.h5)", [this](const std::string& path) {
        ArrayOutput(path, AttributesOf(computedTexts_, state_))
            .WriteReal(state_.densityField, "density", kDensityUnit, kDefaultValueFormat);
    });
}

void MainWindow::ExportRun()
{
    if (spectrumShown_) {
        dialogs_.ShowError(QStringLiteral("The grids hold the Fourier spectrum; apply the parameters again before "
                                          "exporting the run."));
        return;
    }
    SaveWithDialog("h5", "HDF5 files (*.h5)", [this](const std::string& path) {
        WriteRunFile(path, state_, AttributesOf(computedTexts_, state_));
    });
}

void MainWindow::EnableCarpetMenuItems()
{
    clearDataFileAction_->setEnabled(DataFileIsWritable(kDataFileName));
    addToDataFileAction_->setEnabled(state_.hoveredStart != kNoHoveredStart);
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
    DeleteDataFile(kDataFileName);
    controlPanel_->CarpetApplyButton()->click();
}

void MainWindow::SetLegendVisibility()
{
    chart_.SetLegendVisible(viewLegendAction_->isChecked());
}

void MainWindow::OpenCarpetPicture()
{
    QDesktopServices::openUrl(QUrl::fromLocalFile(QDir::current().absoluteFilePath(QString::fromLatin1(kImageFileName))));
}

}  // namespace nivaro
