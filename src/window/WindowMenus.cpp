#include "WindowMenus.h"

#include <QAction>
#include <QActionGroup>
#include <QMenu>
#include <QMenuBar>
#include <string>

#include "ResultExports.h"
#include "WindowTexts.h"

namespace nivaro {
namespace {

const char* ColourMapCaption(ColourMapKind kind)
{
    switch (kind) {
    case ColourMapKind::Viridis:
        return "&Viridis";
    case ColourMapKind::Cividis:
        return "&Cividis";
    case ColourMapKind::Grey:
        return "&Grey";
    case ColourMapKind::GreenRed:
        break;
    }
    return "Green-&red (Q blue-white-red, spectrum grey)";
}

}  // namespace

ColourMapKind WindowMenus::ColourMap() const
{
    for (std::size_t k = 0; k < colourMaps_.size(); ++k) {
        if (colourMaps_[k]->isChecked()) {
            return ColourMapKinds()[k];
        }
    }
    return ColourMapKind::GreenRed;
}

void WindowMenus::SetColourMap(ColourMapKind kind)
{
    for (std::size_t k = 0; k < colourMaps_.size(); ++k) {
        colourMaps_[k]->setChecked(ColourMapKinds()[k] == kind);
    }
}

WindowMenus::WindowMenus(QWidget& window, QMenuBar& menuBar, ResultExports& exports) : window_(window)
{
    BuildPopupMenus(exports);
    BuildMenuBar(menuBar, exports);
}

template <typename Handler>
QAction* WindowMenus::AddItem(QMenu* menu, const char* name, const char* caption, Handler handler)
{
    QAction* action = menu->addAction(QString::fromUtf8(caption));
    action->setObjectName(QString::fromLatin1(name));
    connect(action, &QAction::triggered, this, handler);
    return action;
}

void WindowMenus::BuildPopupMenus(ResultExports& exports)
{
    chartMenu_ = Named(new QMenu(&window_), "chartMenu");
    carpetMenu_ = Named(new QMenu(&window_), "carpetMenu");
    legend_ = AddItem(chartMenu_, "viewLegendAction", "View Legend", &WindowMenus::legendToggled);
    legend_->setCheckable(true);
    legend_->setChecked(true);
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
            AddItem(menu, name.c_str(), caption.c_str(), [save, format = saved.format] { save(format); });
        }
    };
    AddItem(chartMenu_, "copyChartAction", "Copy to Clipboard", [&exports] { exports.CopyChart(); });
    addSaveItems(chartMenu_, "Chart", [&exports](ChartFileFormat format) { exports.SaveChart(format); });
    chartMenu_->addSeparator();
    AddItem(chartMenu_, "saveDensityTableAction", "norm(PSI) to File", [&exports] { exports.SaveDensityTable(); });

    AddItem(carpetMenu_, "copyCarpetAction", "Copy to Clipboard", [&exports] { exports.CopyCarpet(); });
    addSaveItems(carpetMenu_, "Carpet", [&exports](ChartFileFormat format) { exports.SaveCarpet(format); });
    openCarpet_ = AddItem(carpetMenu_, "openCarpetAction", "Open with...", &WindowMenus::openCarpetRequested);
    carpetMenu_->addSeparator();
    AddItem(carpetMenu_, "saveCarpetDensityTableAction", "norm(PSI) to File", [&exports] { exports.SaveDensityTable(); });
    carpetMenu_->addSeparator();
    clearDataFile_ = AddItem(carpetMenu_, "clearDataFileAction", "Clear DAT-file", &WindowMenus::clearDataFileRequested);
    addToDataFile_ = AddItem(carpetMenu_, "addToDataFileAction", "Add to DAT-file", &WindowMenus::addToDataFileRequested);
    for (QMenu* menu : {chartMenu_, carpetMenu_}) {
        menu->addSeparator();
        AddItem(menu, menu == chartMenu_ ? "sweepChartAction" : "sweepCarpetAction", "Sweep...", &WindowMenus::sweepRequested);
    }
    connect(carpetMenu_, &QMenu::aboutToShow, this, &WindowMenus::carpetMenuOpening);
}

void WindowMenus::BuildMenuBar(QMenuBar& menuBar, ResultExports& exports)
{
    const auto withShortcut = [](QAction* action, const QKeySequence& keys) {
        action->setShortcut(keys);
        return action;
    };
    QMenu* fileMenu = Named(menuBar.addMenu(QStringLiteral("&File")), "fileMenu");
    withShortcut(AddItem(fileMenu, "saveViewAction", "&Save view as...", &WindowMenus::saveViewRequested), QKeySequence::Save);
    AddItem(fileMenu, "exportFigureAction", "Export &figure...", &WindowMenus::figureRequested);
    AddItem(fileMenu, "exportChartAction", "Export &chart...", [&exports] { exports.ExportChart(); });
    AddItem(fileMenu, "exportCarpetAction", "Export c&arpet...", [&exports] { exports.ExportCarpet(); });
    AddItem(fileMenu, "exportDensityAction", "Export &norm(PSI)...", [&exports] { exports.SaveDensityTable(); });
    AddItem(fileMenu, "exportVisibilityAction", "Export fringe &visibility...",
            [&exports] { exports.SaveVisibilityTable(); });
    withShortcut(AddItem(fileMenu, "exportRunAction", "&Export run...", [&exports] { exports.ExportRun(); }),
                 QKeySequence(Qt::CTRL | Qt::Key_E));
    AddItem(fileMenu, "sweepAction", "S&weep...", &WindowMenus::sweepRequested);
    fileMenu->addSeparator();
    withShortcut(AddItem(fileMenu, "quitAction", "&Quit", &WindowMenus::quitRequested), QKeySequence::Quit);

    QMenu* editMenu = Named(menuBar.addMenu(QStringLiteral("&Edit")), "editMenu");
    withShortcut(AddItem(editMenu, "copyViewAction", "&Copy view", &WindowMenus::copyViewRequested), QKeySequence::Copy);
    AddItem(editMenu, "copyChartMenuAction", "Copy c&hart", [&exports] { exports.CopyChart(); });
    AddItem(editMenu, "copyCarpetMenuAction", "Copy c&arpet", [&exports] { exports.CopyCarpet(); });

    QMenu* viewMenu = Named(menuBar.addMenu(QStringLiteral("&View")), "viewMenu");
    withShortcut(AddItem(viewMenu, "showSurfaceAction", "&3D surface", &WindowMenus::surfacePageRequested),
                 QKeySequence(Qt::CTRL | Qt::Key_1));
    withShortcut(AddItem(viewMenu, "showCarpetAction", "&2D carpet", &WindowMenus::carpetPageRequested),
                 QKeySequence(Qt::CTRL | Qt::Key_2));
    spectrum_ = withShortcut(AddItem(viewMenu, "spectrumAction", "&Spectrum", &WindowMenus::spectrumToggled),
                             QKeySequence(Qt::Key_F11));
    spectrum_->setCheckable(true);
    AddItem(viewMenu, "visibilityAction", "Fringe &visibility", &WindowMenus::visibilityRequested);
    viewMenu->addSeparator();
    viewMenu->addAction(legend_);
    QMenu* axisLabels = Named(viewMenu->addMenu(QStringLiteral("Axis &labels")), "axisLabelsMenu");
    auto* labelChoice = new QActionGroup(this);
    nanometreLabels_ = AddItem(axisLabels, "nanometreLabelsAction", "&Nanometres", &WindowMenus::labelsChosen);
    blockLabels_ = AddItem(axisLabels, "blockLabelsAction", "&Grid blocks", &WindowMenus::labelsChosen);
    for (QAction* choice : {nanometreLabels_, blockLabels_}) {
        choice->setCheckable(true);
        labelChoice->addAction(choice);
    }
    nanometreLabels_->setChecked(true);
    antialiasing_ = AddItem(viewMenu, "antialiasingAction", "&Antialiasing", &WindowMenus::antialiasingToggled);
    antialiasing_->setCheckable(true);
    QMenu* colourMaps = Named(viewMenu->addMenu(QStringLiteral("&Colour map")), "colourMapMenu");
    auto* mapChoice = new QActionGroup(this);
    for (const ColourMapKind kind : ColourMapKinds()) {
        const std::string name = ColourMapName(kind) + "MapAction";
        QAction* choice = AddItem(colourMaps, name.c_str(), ColourMapCaption(kind), &WindowMenus::colourMapChosen);
        choice->setCheckable(true);
        mapChoice->addAction(choice);
        colourMaps_.push_back(choice);
    }
    colourMaps_.front()->setChecked(true);
    logarithmicSpectrum_ = AddItem(viewMenu, "logarithmicSpectrumAction", "&Logarithmic spectrum height",
                                   &WindowMenus::spectrumHeightToggled);
    logarithmicSpectrum_->setCheckable(true);
    logarithmicSpectrum_->setChecked(true);

    QMenu* helpMenu = Named(menuBar.addMenu(QStringLiteral("&Help")), "helpMenu");
    withShortcut(AddItem(helpMenu, "shortcutsAction", "&Keyboard shortcuts", &WindowMenus::shortcutsRequested),
                 QKeySequence(Qt::Key_F1));
    AddItem(helpMenu, "aboutAction", "&About Nivaro", &WindowMenus::aboutRequested);
}

}  // namespace nivaro
