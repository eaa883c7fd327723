#include "OffThreadRun.h"

#include <QEventLoop>
#include <QMetaObject>
#include <exception>
#include <thread>

namespace nivaro {
namespace {

// On the worker: passes each changed percentage on to the window's thread.
// A call queued to a context that is gone is dropped by Qt itself.
class QueuedProgress final : public ProgressSink {
public:
    QueuedProgress(QObject& context, ProgressSink& target) : context_(context), target_(target) {}

protected:
    void Show(const ProgressReport& report) override
    {
        QMetaObject::invokeMethod(
            &context_, [&target = target_, report] { target.Advance(report); }, Qt::QueuedConnection);
    }

private:
    QObject& context_;
    ProgressSink& target_;
};

}  // namespace

void RunOffWindowThread(QObject& context, ProgressSink& progress, const std::function<void(ProgressSink&)>& work)
{
    QEventLoop untilDone;
    std::exception_ptr failure;
    QueuedProgress queued(context, progress);
    std::jthread worker([&] {
        try {
            work(queued);
        } catch (...) {
            failure = std::current_exception();
        }
        // Queued behind the last progress report, so that it is shown first.
        QMetaObject::invokeMethod(&untilDone, &QEventLoop::quit, Qt::QueuedConnection);
    });
    untilDone.exec();
    worker.join();
    if (failure) {
        std::rethrow_exception(failure);
    }
}

}  // namespace nivaro
