#include "MainWindow.h"

#include <QDir>
#include <QFileInfo>
#include <QLabel>

#include "ChartHost.h"
#include "SweepRecorder.h"
#include "UserDialogs.h"

namespace nivaro {

// Afterwards the window computes the panel's settings again.
void MainWindow::RunSweep()
{
    if (Busy()) {
        return;
    }
    const std::optional<SweepRequest> request = dialogs_.AskSweep(QDir(exports_->SaveFolder()).absolutePath() + QLatin1Char('/'));
    if (!request) {
        return;
    }
    exports_->SetSaveFolder(QFileInfo(request->file).absolutePath());
    RefreshMemoryLimit();
    SweepRecorder recorder(*runner_, *progressView_, *statusLine_, *controlPanel_, dialogs_, mainChart_);
    // Every frame of one size, whatever the window does meanwhile.
    const std::optional<QString> outcome = recorder.Record(*request, state_, chartView_->size(), exports_->PictureStyle(1));
    if (!outcome) {
        return;
    }
    ApplyParameters();  // the panel's own settings again
    statusLine_->setText(*outcome);
}

}  // namespace nivaro
