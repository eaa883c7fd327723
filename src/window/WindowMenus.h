#pragma once

#include <QObject>
#include <vector>

#include "chart/ColourMap.h"

class QAction;
class QMenu;
class QMenuBar;
class QWidget;

namespace nivaro {

class ResultExports;

// The window's menu bar and the popup menus of the chart and the carpet.
// Saving and copying go straight to the exports; what concerns the window
// is signalled. The checkable items keep the view's choices.
class WindowMenus final : public QObject {
    Q_OBJECT

public:
    WindowMenus(QWidget& window, QMenuBar& menuBar, ResultExports& exports);

    QMenu& ChartMenu() const { return *chartMenu_; }
    QMenu& CarpetMenu() const { return *carpetMenu_; }
    QAction& Legend() const { return *legend_; }
    QAction& Spectrum() const { return *spectrum_; }
    QAction& NanometreLabels() const { return *nanometreLabels_; }
    QAction& BlockLabels() const { return *blockLabels_; }
    QAction& Antialiasing() const { return *antialiasing_; }
    QAction& LogarithmicSpectrum() const { return *logarithmicSpectrum_; }
    ColourMapKind ColourMap() const;
    void SetColourMap(ColourMapKind kind);
    // Enabled as the carpet menu opens.
    QAction& ClearDataFile() const { return *clearDataFile_; }
    QAction& AddToDataFile() const { return *addToDataFile_; }
    QAction& OpenCarpet() const { return *openCarpet_; }

signals:
    void saveViewRequested();
    void figureRequested();
    void colourMapChosen();
    void spectrumHeightToggled();
    void copyViewRequested();
    void surfacePageRequested();
    void carpetPageRequested();
    void spectrumToggled();
    void visibilityRequested();
    void labelsChosen();
    void antialiasingToggled();
    void legendToggled();
    void shortcutsRequested();
    void aboutRequested();
    void sweepRequested();
    void openCarpetRequested();
    void clearDataFileRequested();
    void addToDataFileRequested();
    void carpetMenuOpening();
    void quitRequested();

private:
    template <typename Handler>
    QAction* AddItem(QMenu* menu, const char* name, const char* caption, Handler handler);
    void BuildPopupMenus(ResultExports& exports);
    void BuildMenuBar(QMenuBar& menuBar, ResultExports& exports);

    QWidget& window_;
    QMenu* chartMenu_ = nullptr;
    QMenu* carpetMenu_ = nullptr;
    QAction* legend_ = nullptr;
    QAction* spectrum_ = nullptr;
    QAction* nanometreLabels_ = nullptr;
    QAction* blockLabels_ = nullptr;
    QAction* antialiasing_ = nullptr;
    QAction* logarithmicSpectrum_ = nullptr;
    std::vector<QAction*> colourMaps_;  // in the order of ColourMapKinds()
    QAction* clearDataFile_ = nullptr;
    QAction* addToDataFile_ = nullptr;
    QAction* openCarpet_ = nullptr;
};

}  // namespace nivaro
