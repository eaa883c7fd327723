#include "SweepRecorder.h"

#include <QLabel>
#include <chrono>

#include "figure/CarpetPicture.h"
#include "figure/ViewFigures.h"
#include "ComputationRunner.h"
#include "CarpetPage.h"
#include "ParameterPanel.h"
#include "ProgressView.h"
#include "UserDialogs.h"
#include "WindowTexts.h"
#include "chart/MainChart.h"
#include "configuration/SettingKeys.h"
#include "engine/CarpetPass.h"
#include "engine/DensityGrid.h"
#include "engine/RunDocument.h"
#include "engine/SettingsValidation.h"
#include "engine/SurfaceData.h"
#include "output/AnimationFile.h"

namespace nivaro {
namespace {

// The progress of one frame's computations told as the progress of the
// whole sweep, with the frame, the time so far and the time still to come in
// the status line.
class SweepProgress final : public ProgressSink {
public:
    SweepProgress(ProgressView& view, QLabel& statusLine, int frames)
        : view_(view), statusLine_(statusLine), frames_(frames)
    {
    }

    void StartFrame(int frame) { frame_ = frame; }

protected:
    void Show(const ProgressReport& report) override
    {
        const double done = (frame_ + report.percent / 100.0) / frames_;
        const double seconds = std::chrono::duration<double>(Clock::now() - started_).count();
        const QString left = done > 0.01 ? QStringLiteral(", about %1 s left").arg(seconds / done - seconds, 0, 'f', 0)
                                         : QString();
        statusLine_.setText(QStringLiteral("Sweep: frame %1 of %2, %3 s%4")
                                .arg(frame_ + 1)
                                .arg(frames_)
                                .arg(seconds, 0, 'f', 0)
                                .arg(left));
        view_.Advance({ProgressKind::SweepFrames, static_cast<int>(done * 100), static_cast<long>(seconds)});
    }

private:
    using Clock = std::chrono::steady_clock;
    ProgressView& view_;
    QLabel& statusLine_;
    int frames_;
    int frame_ = 0;
    Clock::time_point started_ = Clock::now();
};

}  // namespace

SweepRecorder::SweepRecorder(ComputationRunner& runner, ProgressView& progress, QLabel& statusLine,
                             const ParameterPanel& panel, UserDialogs& dialogs, MainChart& chart)
    : runner_(runner), progress_(progress), statusLine_(statusLine), panel_(panel), dialogs_(dialogs), chart_(chart)
{
}

std::optional<QString> SweepRecorder::TakeRunSettings(const SweepRun& run, const SimulationState& shown,
                                                      SimulationState& frameState) const
{
    CopySettings(shown, frameState);
    PanelTexts texts = panel_.Texts();
    std::optional<QString> problem = panel_.TakeOverParameters(frameState);
    for (const auto& [key, value] : run.settings) {
        if (const std::optional<std::string> refused = ApplySetting(frameState, texts, key, value); refused && !problem) {
            problem = Text(*refused);
        }
    }
    frameState.grid.DeriveDecimation();
    return problem;
}

std::optional<QString> SweepRecorder::Record(const SweepRequest& request, const SimulationState& shown,
                                             QSize frameSize)
{
    const std::vector<SweepRun> runs = PlanSweep({request.axis});
    std::unique_ptr<AnimationFile> animation;
    try {
        animation = AnimationFile::Open(request.file.toStdString(), kSweepFramesPerSecond);
    } catch (const std::exception& error) {
        dialogs_.ShowError(QString::fromUtf8(error.what()));
        return std::nullopt;
    }
    QStringList skipped;
    bool cancelled = false;
    {
        const ComputationRunner::Scope busy(runner_, ComputationRunner::Status::Clear);
        SweepProgress progress(progress_, statusLine_, static_cast<int>(runs.size()));
        // The frames are computed one after the other in the same grids.
        const std::unique_ptr<SimulationState> frameState = NewDocumentLike(shown);
        const CarpetOptions carpet = panel_.Carpet().CarpetSettings();
        for (const SweepRun& run : runs) {
            progress.StartFrame(run.index);
            std::vector<SurfacePoint> blocks;
            try {
                if (const std::optional<QString> problem = TakeRunSettings(run, shown, *frameState)) {
                    throw UnusableSettingsError(
                        {{run.settings.front().first, run.settings.front().second, problem->toStdString()}});
                }
                runner_.Run(
                    progress,
                    [&](ProgressSink& sink) {
                        nivaro::ComputeDensityGrid(*frameState, sink);
                        if (request.recordChart) {
                            blocks = SurfaceBlockMaxima(*frameState);
                        } else {
                            nivaro::RenderCarpet(*frameState, carpet, sink);
                        }
                    },
                    frameState.get());
            } catch (const UnusableSettingsError&) {
                skipped << QStringLiteral("%1=%2").arg(Text(run.settings.front().first), Text(run.settings.front().second));
                continue;
            }
            if (busy.Cancelled()) {
                cancelled = true;  // the frame under way is incomplete: it is left out
                break;
            }
            // Each frame is a figure titled with its value, so that the
            // animation says what changes and on what scale.
            Figure figure;
            if (request.recordChart) {
                const SurfaceBlockCounts counts = SurfaceBlocks(frameState->grid);
                chart_.FillSurface(counts.x, counts.z, blocks);
                LabelSurfaceAxes(chart_.Plot(), *frameState, SurfaceKind::Density, true);
                figure = ChartFigure(chart_, SurfaceColourScale(chart_, *frameState, SurfaceKind::Density, DerivedResults{}));
            } else {
                figure = CarpetFigure(*frameState, CarpetPlanesPicture(*frameState), CarpetScale(*frameState, carpet.contrast));
            }
            figure.title = run.settings.front().first + " = " + run.settings.front().second;
            const QImage frame = RenderFigure(figure, {frameSize.width(), frameSize.height(), FigurePage{}.dpi});
            const QImage rgb = frame.convertToFormat(QImage::Format_RGB888);
            animation->AddFrame(rgb.width(), rgb.height(), [&rgb](int row, std::uint8_t* pixels) {
                std::copy_n(rgb.constScanLine(row), rgb.width() * 3, pixels);
            });
            progress_.ShowPreview(frame);
        }
    }
    const int frames = animation->Frames();
    QString outcome;
    if (frames == 0) {
        outcome = QStringLiteral("The sweep wrote no frame.");
    } else {
        try {
            animation->Finish();
            outcome = QStringLiteral("Sweep: %1 frames in %2%3").arg(frames).arg(request.file, cancelled ? QStringLiteral(" (cancelled)") : QString());
        } catch (const std::exception& error) {
            dialogs_.ShowError(QStringLiteral("The animation could not be written.\n%1").arg(QString::fromUtf8(error.what())));
        }
    }
    if (!skipped.isEmpty()) {
        dialogs_.ShowError(QStringLiteral("These values could not be computed and have no frame: %1").arg(skipped.join(", ")));
    }
    return outcome;
}

}  // namespace nivaro
