#include "MainWindow.h"

#include <QAction>
#include <QClipboard>
#include <QDesktopServices>
#include <QActionGroup>
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
#include "ResultExports.h"
#include "UserDialogs.h"
#include "WindowTexts.h"
#include "carpet/DataFile.h"
#include "engine/DensityKernel.h"
#include "engine/TrajectoryStarts.h"
#include "output/RunFile.h"
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
    viewLegendAction_ = AddMenuItem(chartMenu_, "viewLegendAction", "View Legend", &MainWindow::SetLegendVisibility);
    viewLegendAction_->setCheckable(true);
    viewLegendAction_->setChecked(true);
    chartMenu_->addSeparator();
    struct SavedFormat {
        const char* name;
        const char* suffix;
        ChartFileFormat format;
    };
    constexpr SavedFormat kFormats[] = {
        {"Jpeg", "jpg", ChartFileFormat::Jpeg}, {"Png", "png", ChartFileFormat::Png}, {"Bmp", "bmp", ChartFileFormat::Bmp}};
    const auto addSaveItems = [this, &kFormats](QMenu* menu, const char* what, auto save) {
        for (const SavedFormat& saved : kFormats) {
            const std::string name = std::string("save") + what + saved.name + "Action";
            const std::string caption = std::string("Save to File (*.") + saved.suffix + ")";
            AddMenuItem(menu, name.c_str(), caption.c_str(), [save, format = saved.format] { save(format); });
        }
    };
    AddMenuItem(chartMenu_, "copyChartAction", "Copy to Clipboard", [this] { exports_->CopyChart(); });
    addSaveItems(chartMenu_, "Chart", [this](ChartFileFormat format) { exports_->SaveChart(format); });
    chartMenu_->addSeparator();
    AddMenuItem(chartMenu_, "saveDensityTableAction", "norm(PSI) to File", [this] { exports_->SaveDensityTable(); });

    AddMenuItem(carpetMenu_, "copyCarpetAction", "Copy to Clipboard",
                [this] { QGuiApplication::clipboard()->setImage(carpetView_->Picture()); });
    addSaveItems(carpetMenu_, "Carpet", [this](ChartFileFormat format) { exports_->SaveCarpet(format); });
    AddMenuItem(carpetMenu_, "openCarpetAction", "Open with...", &MainWindow::OpenCarpetPicture);
    carpetMenu_->addSeparator();
    AddMenuItem(carpetMenu_, "saveCarpetDensityTableAction", "norm(PSI) to File", [this] { exports_->SaveDensityTable(); });
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
    AddMenuItem(fileMenu, "exportChartAction", "Export &chart...", [this] { exports_->ExportChart(); });
    AddMenuItem(fileMenu, "exportCarpetAction", "Export c&arpet...", [this] { exports_->ExportCarpet(); });
    AddMenuItem(fileMenu, "exportDensityAction", "Export &norm(PSI)...", [this] { exports_->SaveDensityTable(); });
    exportRunAction_ = withShortcut(AddMenuItem(fileMenu, "exportRunAction", "&Export run...", [this] { exports_->ExportRun(); }),
                                    QKeySequence(Qt::CTRL | Qt::Key_E));
    AddMenuItem(fileMenu, "sweepAction", "S&weep...", &MainWindow::RunSweep);
    fileMenu->addSeparator();
    withShortcut(AddMenuItem(fileMenu, "quitAction", "&Quit", &QWidget::close), QKeySequence::Quit);

    QMenu* editMenu = Named(menuBar_->addMenu(QStringLiteral("&Edit")), "editMenu");
    withShortcut(AddMenuItem(editMenu, "copyViewAction", "&Copy view", &MainWindow::CopyView), QKeySequence::Copy);
    AddMenuItem(editMenu, "copyChartMenuAction", "Copy c&hart", [this] { exports_->CopyChart(); });
    AddMenuItem(editMenu, "copyCarpetMenuAction", "Copy c&arpet", [this] { exports_->CopyCarpet(); });

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

void MainWindow::SaveView()
{
    if (view_ == ViewMode::Image) {
        exports_->ExportCarpet();
    } else {
        exports_->ExportChart();
    }
}

void MainWindow::CopyView()
{
    if (view_ == ViewMode::Image) {
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
