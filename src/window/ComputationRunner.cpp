#include "ComputationRunner.h"

#include <QApplication>
#include <QLabel>
#include <QScopeGuard>

#include "OffThreadRun.h"
#include "ProgressView.h"

namespace nivaro {

ComputationRunner::ComputationRunner(QWidget& window, QWidget& panel, QLabel& statusLine, ProgressView& progress,
                                     SimulationState& shown)
    : window_(window), panel_(panel), statusLine_(statusLine), progress_(progress), shown_(shown)
{
}

ComputationRunner::Scope::Scope(ComputationRunner& runner, Status status) : runner_(runner), status_(status)
{
    if (runner_.depth_++ == 0) {
        if (!runner_.closing_) {
            runner_.shown_.stopRequested = false;
        }
        runner_.progress_.Begin();
        runner_.progress_.show();
        runner_.progress_.raise();
        runner_.panel_.setEnabled(false);
        runner_.window_.setFocus();
        QApplication::setOverrideCursor(Qt::BusyCursor);
    }
    if (status == Status::Clear) {
        runner_.statusLine_.clear();
    }
}

ComputationRunner::Scope::~Scope()
{
    if (--runner_.depth_ == 0) {
        runner_.progress_.hide();
        runner_.progress_.Finish(Cancelled(), status_ != Status::Untouched);
        QApplication::restoreOverrideCursor();
        runner_.panel_.setEnabled(true);
    }
}

void ComputationRunner::Cancel()
{
    if (Busy()) {
        Stop();
    }
}

void ComputationRunner::Close()
{
    closing_ = true;
    Stop();
}

void ComputationRunner::Stop()
{
    shown_.stopRequested = true;
    if (computing_ != nullptr) {
        computing_->stopRequested = true;
    }
}

void ComputationRunner::Run(ProgressSink& progress, const std::function<void(ProgressSink&)>& work,
                            SimulationState* document)
{
    SimulationState* const outer = computing_;
    if (document != nullptr) {
        document->stopRequested = shown_.stopRequested.load();
        computing_ = document;
    }
    const auto done = qScopeGuard([this, outer] { computing_ = outer; });
    RunOffWindowThread(window_, progress, work);
}

}  // namespace nivaro
