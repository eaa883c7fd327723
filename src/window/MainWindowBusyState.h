#pragma once

#include <QApplication>
#include <QLabel>

#include "MainWindow.h"
#include "ParameterPanel.h"
#include "ProgressView.h"

namespace nivaro {

// The busy state of a computation: panel disabled, busy cursor, the progress
// strip under the views (which keep showing the results so far). Always
// left, also when an exception passes through; nested computations (the
// carpet started by the page rule) leave it only at the outermost level.
class MainWindow::BusyState {
public:
    BusyState(MainWindow& window, BusyStatus status) : window_(window), status_(status)
    {
        if (window_.busyDepth_++ == 0) {
            if (!window_.closing_) {
                window_.state_.stopRequested = false;
            }
            window_.progressView_->Begin();
            window_.progressView_->show();
            window_.progressView_->raise();
            window_.controlPanel_->setEnabled(false);
            window_.setFocus();
            QApplication::setOverrideCursor(Qt::BusyCursor);
        }
        if (status == BusyStatus::Clear) {
            window_.statusLine_->clear();
        }
    }
    BusyState(const BusyState&) = delete;
    BusyState& operator=(const BusyState&) = delete;
    bool Cancelled() const { return window_.CancelRequested(); }
    ~BusyState()
    {
        if (--window_.busyDepth_ == 0) {
            window_.progressView_->hide();
            window_.progressView_->Finish(Cancelled(), status_ != BusyStatus::Untouched);
            QApplication::restoreOverrideCursor();
            window_.controlPanel_->setEnabled(true);
        }
    }

private:
    MainWindow& window_;
    BusyStatus status_;
};

}  // namespace nivaro
