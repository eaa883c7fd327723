#pragma once

#include <QImage>
#include <QString>
#include <functional>
#include <string>

#include "chart/export/ChartExport.h"
#include "configuration/PanelTexts.h"
#include "figure/Figure.h"

class QWidget;

namespace nivaro {

class CarpetView;
class Chart;
class ComputationRunner;
class ProgressView;
class UserDialogs;
struct SimulationState;

// The chart's picture formats of its popup menu.
enum class ChartFileFormat { Jpeg, Png, Bmp };

// Saves and copies the results the window shows: the chart, the carpet's
// picture, the density and the whole run. Every save asks for its file in
// the one save dialog, remembers the folder, and tells a failure with the
// file and the reason. A computation under way changes nothing shown, so the
// results can be saved meanwhile.
class ResultExports {
public:
    struct Sources {
        Chart& chart;
        const QWidget& chartView;
        const CarpetView& carpetView;
        const SimulationState& shown;
        const PanelTexts& computedTexts;  // the panel as the results were computed with it
    };

    ResultExports(Sources sources, ComputationRunner& runner, ProgressView& progress, UserDialogs& dialogs,
                  const QString& saveFolder);

    const QString& SaveFolder() const { return saveFolder_; }
    void SetSaveFolder(const QString& folder) { saveFolder_ = folder; }
    // Pictures are drawn smoothed as the views are.
    void SetAntialiasing(bool on) { antialiasing_ = on; }
    // Laid out for the picture, as the screen shows it at any display scale.
    ChartPictureStyle PictureStyle(int scale) const;

    // The figure of the view shown as PDF, SVG or PNG (at a multiple of its
    // page's size).
    void ExportFigure(const Figure& figure);
    // SVG as drawn; raster pictures at a multiple of the view's size.
    void ExportChart();
    // At the view's size, in the popup menu's formats.
    void SaveChart(ChartFileFormat format);
    void CopyChart();
    // The carpet at its own resolution, one pixel per grid point; refused
    // with a word while there is none.
    void ExportCarpet();
    void SaveCarpet(ChartFileFormat format);
    void CopyCarpet();
    // The text table, or by the chosen filter's extension a NumPy array or
    // an HDF5 file.
    void SaveDensityTable();
    // Everything the last computation holds, as one HDF5 file.
    void ExportRun();
    // The fringe visibility along z as CSV.
    void SaveVisibilityTable();

private:
    void SaveWithDialog(const char* suffix, const char* filter, const std::function<void(const std::string&)>& save);
    bool HasCarpetPicture();

    Sources sources_;
    ComputationRunner& runner_;
    ProgressView& progress_;
    UserDialogs& dialogs_;
    QString saveFolder_;
    bool antialiasing_ = false;
};

}  // namespace nivaro
