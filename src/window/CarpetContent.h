#pragma once

#include <QImage>
#include <QPoint>
#include <memory>
#include <optional>
#include <span>
#include <utility>
#include <vector>

#include "chart/ColourMap.h"
#include "engine/CarpetPass.h"
#include "engine/DerivedResults.h"
#include "engine/SimulationState.h"
#include "platform/Rgb.h"

class QLabel;
class QWidget;

namespace nivaro {

class CarpetView;
class ComputationRunner;
class HistogramPlot;
class ProgressView;

// What the 2D page shows of the results: the carpet's picture (or Q) with
// the sampled paths and its axes, the paths' histogram, the trajectories
// recoloured by clicks, and "out.bmp" written beside it.
class CarpetContent {
public:
    CarpetContent(QWidget& window, CarpetView& view, QLabel& statusLine, ComputationRunner& runner, ProgressView& progress,
                  SimulationState& state, DerivedResults& derived);
    ~CarpetContent();
    CarpetContent(const CarpetContent&) = delete;
    CarpetContent& operator=(const CarpetContent&) = delete;

    // Writes "out.bmp" and composes the picture off the window's thread,
    // then shows it; the status line keeps what it says, unless the write
    // failed.
    void SaveAndShow(bool quantumPotential);
    bool HasPicture() const;
    // No picture: the next look at the 2D page draws the carpet anew.
    void Clear();
    // Composes the picture of the results here and shows it.
    void Show(bool quantumPotential);
    // The histogram of the sampled paths, hidden without them; its note
    // goes to the status line.
    void ShowHistogram();
    void PickHistogramColumn(int column);

    // The trajectory that starts at the clicked pixel in the colour given;
    // false where none starts or the tracing was cancelled.
    bool Recolour(QPoint pixel, Rgb colour);
    // Clicked trajectories keep their colour over new carpets until the
    // density changes.
    void RepaintRecoloured();
    void ForgetRecoloured() { recoloured_.clear(); }
    // Q's colours on the carpet from the next picture on.
    void SetColourMap(ColourMapKind kind) { colourMap_ = kind; }

private:
    void ShowPicture(QImage picture);
    bool RepaintPaths(std::span<const RecolouredPath> paths);
    // "out.bmp" in the current folder; the reason when it could not be written.
    std::optional<QString> WriteImageFile() const;

    QWidget& window_;
    CarpetView& view_;
    QLabel& statusLine_;
    ComputationRunner& runner_;
    ProgressView& progress_;
    SimulationState& state_;
    DerivedResults& derived_;
    std::unique_ptr<HistogramPlot> histogramPlot_;
    std::vector<RecolouredPath> recoloured_;
    ColourMapKind colourMap_ = ColourMapKind::GreenRed;
};

}  // namespace nivaro
