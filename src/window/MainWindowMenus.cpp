#include "MainWindow.h"

#include <QAction>
#include <QClipboard>
#include <QDesktopServices>
#include <QActionGroup>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QUrl>

#include "CarpetView.h"
#include "ChartHost.h"
#include "ParameterPanel.h"
#include "ProgressView.h"
#include "UserDialogs.h"
#include "WindowTexts.h"
#include "carpet/DataFile.h"
#include "carpet/TableWriter.h"
#include "chart/export/ChartExport.h"
#include "engine/DensityKernel.h"
#include "engine/TrajectoryStarts.h"
#include "output/ArrayOutput.h"
#include "output/RunFile.h"
#include "platform/AtomicFile.h"
#include "platform/LibraryVersions.h"

namespace nivaro {

template <typename Handler>
QAction* MainWindow::AddMenuItem(QMenu* menu, const char* name, const char* caption, Handler handler)
{
    QAction* action = menu->addAction(QString::fromUtf8(caption));
    action->setObjectName(QString::fromLatin1(name));
    connect(action, &QAction::triggered, this, handler);
    return action;
}

void MainWindow::BuildMenus()
{
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

    viewLegendAction_ = AddMenuItem(chartMenu_, "viewLegendAction", "View Legend", &MainWindow::SetLegendVisibility);
    viewLegendAction_->setCheckable(true);
    viewLegendAction_->setChecked(true);
    chartMenu_->addSeparator();
    AddMenuItem(chartMenu_, "copyChartAction", "Copy to Clipboard", &MainWindow::CopyChart);
    AddMenuItem(chartMenu_, "saveChartJpegAction", "Save to File (*.jpg)",
         chartSave("jpg", kJpg, [this](Chart& chart, const std::string& path) {
             ChartSaveToJPEGFile(chart, path, 75, chartView_->width(), chartView_->height(), PictureStyle(1));
         }));
    AddMenuItem(chartMenu_, "saveChartPngAction", "Save to File (*.png)",
         chartSave("png", kPng, [this](Chart& chart, const std::string& path) {
             ChartSaveToPNG(chart, path, chartView_->width(), chartView_->height(), PictureStyle(1));
         }));
    AddMenuItem(chartMenu_, "saveChartBmpAction", "Save to File (*.bmp)",
         chartSave("bmp", kBmp, [this](Chart& chart, const std::string& path) {
             ChartSaveToBitmap(chart, path, chartView_->width(), chartView_->height(), PictureStyle(1));
         }));
    chartMenu_->addSeparator();
    AddMenuItem(chartMenu_, "saveDensityTableAction", "norm(PSI) to File", &MainWindow::SaveDensityTable);

    AddMenuItem(carpetMenu_, "copyCarpetAction", "Copy to Clipboard",
         [this] { QGuiApplication::clipboard()->setImage(CarpetPicture()); });
    AddMenuItem(carpetMenu_, "saveCarpetJpegAction", "Save to File (*.jpg)",
         pictureSave("jpg", kJpg, [](const QImage& picture, const std::string& path) {
             SaveImageAsJpeg(picture, path, 90);
         }));
    AddMenuItem(carpetMenu_, "saveCarpetPngAction", "Save to File (*.png)", pictureSave("png", kPng, SaveImageAsPng));
    AddMenuItem(carpetMenu_, "saveCarpetBmpAction", "Save to File (*.bmp)", pictureSave("bmp", kBmp, SaveImageAsBmp));
    AddMenuItem(carpetMenu_, "openCarpetAction", "Open with...", &MainWindow::OpenCarpetPicture);
    carpetMenu_->addSeparator();
    AddMenuItem(carpetMenu_, "saveCarpetDensityTableAction", "norm(PSI) to File", &MainWindow::SaveDensityTable);
    carpetMenu_->addSeparator();
    clearDataFileAction_ = AddMenuItem(carpetMenu_, "clearDataFileAction", "Clear DAT-file", &MainWindow::ClearDataFile);
    addToDataFileAction_ = AddMenuItem(carpetMenu_, "addToDataFileAction", "Add to DAT-file", &MainWindow::AddToDataFile);
    for (QMenu* menu : {chartMenu_, carpetMenu_}) {
        menu->addSeparator();
        AddMenuItem(menu, menu == chartMenu_ ? "sweepChartAction" : "sweepCarpetAction", "Sweep...", &MainWindow::RunSweep);
    }
    connect(carpetMenu_, &QMenu::aboutToShow, this, &MainWindow::EnableCarpetMenuItems);

    BuildMenuBar();
}

void MainWindow::BuildMenuBar()
{
    const auto withShortcut = [](QAction* action, const QKeySequence& keys) {
        action->setShortcut(keys);
        return action;
    };
    QMenu* fileMenu = Named(menuBar_->addMenu(QStringLiteral("&File")), "fileMenu");
    withShortcut(AddMenuItem(fileMenu, "saveViewAction", "&Save view as...", &MainWindow::SaveView), QKeySequence::Save);
    AddMenuItem(fileMenu, "exportChartAction", "Export &chart...", &MainWindow::ExportChart);
    AddMenuItem(fileMenu, "exportCarpetAction", "Export c&arpet...", &MainWindow::ExportCarpet);
    AddMenuItem(fileMenu, "exportDensityAction", "Export &norm(PSI)...", &MainWindow::SaveDensityTable);
    exportRunAction_ = withShortcut(AddMenuItem(fileMenu, "exportRunAction", "&Export run...", &MainWindow::ExportRun),
                                    QKeySequence(Qt::CTRL | Qt::Key_E));
    AddMenuItem(fileMenu, "sweepAction", "S&weep...", &MainWindow::RunSweep);
    fileMenu->addSeparator();
    withShortcut(AddMenuItem(fileMenu, "quitAction", "&Quit", &QWidget::close), QKeySequence::Quit);

    QMenu* editMenu = Named(menuBar_->addMenu(QStringLiteral("&Edit")), "editMenu");
    withShortcut(AddMenuItem(editMenu, "copyViewAction", "&Copy view", &MainWindow::CopyView), QKeySequence::Copy);
    AddMenuItem(editMenu, "copyChartMenuAction", "Copy c&hart", &MainWindow::CopyChart);
    AddMenuItem(editMenu, "copyCarpetMenuAction", "Copy c&arpet", &MainWindow::CopyCarpet);

    QMenu* viewMenu = Named(menuBar_->addMenu(QStringLiteral("&View")), "viewMenu");
    withShortcut(AddMenuItem(viewMenu, "showSurfaceAction", "&3D surface", [this] { ShowPage(ParameterPanel::Page::Surface); }),
                 QKeySequence(Qt::CTRL | Qt::Key_1));
    withShortcut(AddMenuItem(viewMenu, "showCarpetAction", "&2D carpet", [this] { ShowPage(ParameterPanel::Page::Carpet); }),
                 QKeySequence(Qt::CTRL | Qt::Key_2));
    spectrumAction_ = withShortcut(AddMenuItem(viewMenu, "spectrumAction", "&Spectrum", &MainWindow::ToggleSpectrum),
                                   QKeySequence(Qt::Key_F11));
    spectrumAction_->setCheckable(true);
    viewMenu->addSeparator();
    viewMenu->addAction(viewLegendAction_);
    QMenu* axisLabels = Named(viewMenu->addMenu(QStringLiteral("Axis &labels")), "axisLabelsMenu");
    auto* labelChoice = new QActionGroup(this);
    nanometreLabelsAction_ = AddMenuItem(axisLabels, "nanometreLabelsAction", "&Nanometres", &MainWindow::RelabelAxes);
    QAction* blockLabels = AddMenuItem(axisLabels, "blockLabelsAction", "&Grid blocks", &MainWindow::RelabelAxes);
    for (QAction* choice : {nanometreLabelsAction_, blockLabels}) {
        choice->setCheckable(true);
        labelChoice->addAction(choice);
    }
    nanometreLabelsAction_->setChecked(true);
    antialiasingAction_ = AddMenuItem(viewMenu, "antialiasingAction", "&Antialiasing", &MainWindow::SetAntialiasing);
    antialiasingAction_->setCheckable(true);

    QMenu* helpMenu = Named(menuBar_->addMenu(QStringLiteral("&Help")), "helpMenu");
    withShortcut(AddMenuItem(helpMenu, "shortcutsAction", "&Keyboard shortcuts", &MainWindow::ShowShortcuts),
                 QKeySequence(Qt::Key_F1));
    AddMenuItem(helpMenu, "aboutAction", "&About Nivaro", &MainWindow::ShowAbout);
}

void MainWindow::SaveWithDialog(const char* suffix, const char* filter,
                                const std::function<void(const std::string&)>& save)
{
    // A computation under way changes nothing shown, so the results can be
    // saved meanwhile.
    const std::optional<QString> name =
        dialogs_.AskSaveFileName({QString::fromLatin1(suffix), QString::fromLatin1(filter), saveFolder_});
    if (!name) {
        return;
    }
    saveFolder_ = QFileInfo(*name).absolutePath();
    try {
        save(name->toStdString());
    } catch (const std::exception& error) {
        dialogs_.ShowError(QStringLiteral("The file could not be saved.\n%1").arg(QString::fromUtf8(error.what())));
    }
}

void MainWindow::SaveView()
{
    if (view_ == ViewMode::Image) {
        ExportCarpet();
    } else {
        ExportChart();
    }
}

void MainWindow::CopyView()
{
    if (view_ == ViewMode::Image) {
        CopyCarpet();
    } else {
        CopyChart();
    }
}

// SVG as drawn; raster pictures at a multiple of the view's size, with text
// and lines at that resolution.
void MainWindow::ExportChart()
{
    SaveWithDialog("png", "PNG files (*.png);;JPG files (*.jpg);;BMP files (*.bmp);;SVG drawings (*.svg)",
                   [this](const std::string& path) {
                       const int width = chartView_->width();
                       const int height = chartView_->height();
                       if (QFileInfo(QString::fromStdString(path)).suffix().compare("svg", Qt::CaseInsensitive) == 0) {
                           ChartSaveToSvg(chart_, path, width, height, PictureStyle(1));
                           return;
                       }
                       if (const std::optional<int> scale = dialogs_.AskPictureScale(QSize(width, height))) {
                           SavePicture(RenderChartImage(chart_, width, height, PictureStyle(*scale)), path);
                       }
                   });
}

bool MainWindow::HasCarpetPicture()
{
    if (!carpetView_->HasPicture()) {
        dialogs_.ShowError(QStringLiteral("There is no carpet yet: show the 2D page first."));
        return false;
    }
    return true;
}

// The carpet at its own resolution, one pixel per grid point.
void MainWindow::ExportCarpet()
{
    if (HasCarpetPicture()) {
        SaveWithDialog("png", "PNG files (*.png);;JPG files (*.jpg);;BMP files (*.bmp)",
                       [this](const std::string& path) { SavePicture(CarpetPicture(), path); });
    }
}

void MainWindow::CopyCarpet()
{
    if (HasCarpetPicture()) {
        QGuiApplication::clipboard()->setImage(CarpetPicture());
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
    chartView_->SetAntialiasing(antialiasingAction_->isChecked());
    carpetView_->SetSmoothing(antialiasingAction_->isChecked());
}

void MainWindow::ShowShortcuts()
{
    QString rows;
    for (const QAction* action : findChildren<QAction*>()) {
        if (!action->shortcut().isEmpty()) {
            rows += QStringLiteral("<tr><td><b>%1</b></td><td>%2</td></tr>")
                        .arg(action->shortcut().toString(QKeySequence::NativeText).toHtmlEscaped(),
                             action->text().remove(QLatin1Char('&')).toHtmlEscaped());
        }
    }
    const char* const others[][2] = {
        {"Esc", "Cancel the running computation"},
        {"Enter", "Apply the parameters (in any field of the panel)"},
        {"Ctrl+Tab", "Switch between the 3D and 2D pages"},
        {"Up, Down", "Step the slits or the contrast field"},
        {"Ctrl+Wheel, +, -", "Zoom the carpet about the mouse or its middle"},
        {"1, 0", "The carpet at one screen pixel per grid point, or fitted to the window"},
    };
    for (const auto& [keys, meaning] : others) {
        rows += QStringLiteral("<tr><td><b>%1</b></td><td>%2</td></tr>").arg(QString::fromUtf8(keys), QString::fromUtf8(meaning));
    }
    dialogs_.ShowInformation(QStringLiteral("Keyboard shortcuts"),
                             QStringLiteral("<table cellspacing=6>%1</table>").arg(rows));
}

void MainWindow::ShowAbout()
{
    std::vector<LibraryVersion> libraries = {
        {"Qt", qVersion(), "LGPL-3.0"},
        {"Highway", VectorLibraryVersion(), "Apache-2.0 or BSD-3-Clause"},
    };
    for (LibraryVersion& library : FileFormatLibraries()) {
        libraries.push_back(std::move(library));
    }
    QString rows;
    for (const LibraryVersion& library : libraries) {
        rows += QStringLiteral("<tr><td>%1</td><td>%2</td><td>%3</td></tr>")
                    .arg(Text(library.name), Text(library.version), Text(library.licence));
    }
    dialogs_.ShowInformation(
        QStringLiteral("About Nivaro"),
        QStringLiteral("<h3>Nivaro %1</h3><p>Near-field (Talbot) diffraction of a particle by a grating of N slits: "
                       "psi as a coherent sum of spreading Gaussian packets, its density, Bohmian trajectories and "
                       "its spatial spectrum.</p><p>Built with:</p><table cellspacing=4><tr><th align=left>Library</th>"
                       "<th align=left>Version</th><th align=left>Licence</th></tr>%2</table>")
            .arg(QString::fromLatin1(kProgramVersion), rows));
}

QImage MainWindow::CarpetPicture() const
{
    return carpetView_->Picture();
}

void MainWindow::CopyChart()
{
    CopyToClipboardMetafile(chart_, chartView_->width(), chartView_->height(), PictureStyle(1));
}

// Laid out for the picture, as the screen shows it at any display scale.
ChartPictureStyle MainWindow::PictureStyle(int scale) const
{
    return {scale, antialiasingAction_->isChecked(), true};
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
    SaveWithDialog("h5", "HDF5 files (*.h5)", [this](const std::string& path) {
        // psi is computed for the file when the run kept none: off the window's thread.
        const BusyState busy(*runner_, BusyStatus::Untouched);
        const SettingAttributes attributes = AttributesOf(computedTexts_, state_);
        runner_->Run(*progressView_,
                           [&](ProgressSink&) { WriteRunFile(path, state_, attributes); });
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
    if (!dialogs_.Confirm(QStringLiteral("Delete the trajectory starts saved in %1?").arg(QString::fromLatin1(kDataFileName)))) {
        return;
    }
    DeleteDataFile(kDataFileName);
    controlPanel_->CarpetApplyButton()->click();
}

void MainWindow::SetLegendVisibility()
{
    chart_.SetLegendVisible(viewLegendAction_->isChecked());
    chartView_->RequestFit();
}

void MainWindow::OpenCarpetPicture()
{
    QDesktopServices::openUrl(QUrl::fromLocalFile(QDir::current().absoluteFilePath(QString::fromLatin1(kImageFileName))));
}

}  // namespace nivaro
