#include "MainWindow.h"

#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <chrono>

#include "CarpetPicture.h"
#include "ChartHost.h"
#include "ParameterPanel.h"
#include "ProgressView.h"
#include "UserDialogs.h"
#include "WindowTexts.h"
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

// Each frame starts from the panel's settings with the swept value; the
// frames go into the animation as they come, and a cancel keeps those
// finished. Afterwards the window computes the panel's settings again.
void MainWindow::RunSweep()
{
    if (Busy()) {
        return;
    }
    const std::optional<SweepRequest> request = dialogs_.AskSweep(QDir(saveFolder_).absolutePath() + QLatin1Char('/'));
    if (!request) {
        return;
    }
    saveFolder_ = QFileInfo(request->file).absolutePath();
    const std::vector<SweepRun> runs = PlanSweep({request->axis});
    std::unique_ptr<AnimationFile> animation;
    try {
        animation = AnimationFile::Open(request->file.toStdString(), kSweepFramesPerSecond);
    } catch (const std::exception& error) {
        dialogs_.ShowError(QString::fromUtf8(error.what()));
        return;
    }
    RefreshMemoryLimit();
    const QSize chartSize = chartView_->size();  // every frame of one size, whatever the window does meanwhile
    QStringList skipped;
    bool cancelled = false;
    {
        const BusyState busy(*runner_, BusyStatus::Clear);
        SweepProgress progress(*progressView_, *statusLine_, static_cast<int>(runs.size()));
        // The frames are computed in a document of their own, one after the
        // other in the same grids; the results shown stay.
        const std::unique_ptr<SimulationState> frameState = NewDocumentLike(state_);
        for (const SweepRun& run : runs) {
            progress.StartFrame(run.index);
            CopySettings(state_, *frameState);
            PanelTexts texts = controlPanel_->Texts();
            std::optional<QString> problem = controlPanel_->TakeOverParameters(*frameState);
            for (const auto& [key, value] : run.settings) {
                if (const std::optional<std::string> refused = ApplySetting(*frameState, texts, key, value);
                    refused && !problem) {
                    problem = Text(*refused);
                }
            }
            frameState->grid.DeriveDecimation();
            QImage frame;
            try {
                if (problem) {
                    throw UnusableSettingsError({{run.settings.front().first, run.settings.front().second, problem->toStdString()}});
                }
                const CarpetOptions carpet = controlPanel_->CarpetSettings();
                std::vector<SurfacePoint> blocks;
                runner_->Run(
                    progress,
                    [&](ProgressSink& sink) {
                    nivaro::ComputeDensityGrid(*frameState, sink);
                    if (request->recordChart) {
                        blocks = SurfaceBlockMaxima(*frameState);
                    } else {
                        nivaro::RenderCarpet(*frameState, carpet, sink);
                    }
                },
                    frameState.get());
                if (request->recordChart) {
                    mainChart_.FillSurface(SurfaceBlocks(frameState->grid).x, SurfaceBlocks(frameState->grid).z, blocks);
                    frame = RenderChartImage(chart_, chartSize.width(), chartSize.height(), PictureStyle(1));
                } else {
                    frame = CarpetPlanesPicture(*frameState);
                }
            } catch (const UnusableSettingsError& error) {
                skipped << QStringLiteral("%1=%2").arg(Text(run.settings.front().first), Text(run.settings.front().second));
                continue;
            }
            if (busy.Cancelled()) {
                cancelled = true;  // the frame under way is incomplete: it is left out
                break;
            }
            const QImage rgb = frame.convertToFormat(QImage::Format_RGB888);
            animation->AddFrame(rgb.width(), rgb.height(), [&rgb](int row, std::uint8_t* pixels) {
                std::copy_n(rgb.constScanLine(row), rgb.width() * 3, pixels);
            });
            progressView_->ShowPreview(frame);
        }
    }
    const int frames = animation->Frames();
    QString outcome;
    if (frames == 0) {
        outcome = QStringLiteral("The sweep wrote no frame.");
    } else {
        try {
            animation->Finish();
            outcome = QStringLiteral("Sweep: %1 frames in %2%3").arg(frames).arg(request->file, cancelled ? QStringLiteral(" (cancelled)") : QString());
        } catch (const std::exception& error) {
            dialogs_.ShowError(QStringLiteral("The animation could not be written.\n%1").arg(QString::fromUtf8(error.what())));
        }
    }
    if (!skipped.isEmpty()) {
        dialogs_.ShowError(QStringLiteral("These values could not be computed and have no frame: %1").arg(skipped.join(", ")));
    }
    ApplyParameters();  // the panel's own settings again
    statusLine_->setText(outcome);
}

}  // namespace nivaro
