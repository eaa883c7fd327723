#include <gtest/gtest.h>

#include <QLabel>
#include <QTimer>
#include <QWidget>
#include <stdexcept>
#include <thread>

#include "window/ComputationRunner.h"
#include "window/ProgressView.h"

namespace nivaro {
namespace {

class ComputationRunnerTest : public testing::Test {
protected:
    QWidget window;
    QWidget panel{&window};
    QLabel statusLine{&window};
    ProgressView progress{statusLine, &window};
    SimulationState shown;
    ComputationRunner runner{window, panel, statusLine, progress, shown};
};

TEST_F(ComputationRunnerTest, ACancelStopsTheDocumentUnderWayAndTheWindowAnswersMeanwhile)
{
    SimulationState document;
    bool answered = false;
    {
        const ComputationRunner::Scope busy(runner, ComputationRunner::Status::Report);
        EXPECT_TRUE(runner.Busy());
        EXPECT_FALSE(panel.isEnabled());
        QTimer::singleShot(0, &window, [&] {
            answered = true;
            runner.Cancel();
        });
        runner.Run(
            progress,
            [&document](ProgressSink&) {
                while (!document.stopRequested) {
                    std::this_thread::yield();
                }
            },
            &document);
        EXPECT_TRUE(busy.Cancelled());
    }
    EXPECT_TRUE(answered) << "the window's timers fire while the work runs";
    EXPECT_FALSE(runner.Busy());
    EXPECT_TRUE(panel.isEnabled());
    EXPECT_TRUE(statusLine.text().startsWith("Cancelled after ")) << statusLine.text().toStdString();
}

TEST_F(ComputationRunnerTest, AFailureOfTheWorkIsThrownOnTheWindowsThreadAndTheBusyStateIsLeft)
{
    try {
        const ComputationRunner::Scope busy(runner, ComputationRunner::Status::Clear);
        runner.Run(progress, [](ProgressSink&) { throw std::runtime_error("no memory"); });
        FAIL() << "the failure was not thrown";
    } catch (const std::runtime_error& error) {
        EXPECT_STREQ(error.what(), "no memory");
    }
    EXPECT_FALSE(runner.Busy());
    EXPECT_TRUE(panel.isEnabled());
    runner.Close();
    EXPECT_TRUE(shown.stopRequested.load());
    EXPECT_FALSE(runner.CancelRequested()) << "closing is no cancel";
}

}  // namespace
}  // namespace nivaro
