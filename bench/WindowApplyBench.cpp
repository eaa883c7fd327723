#include <benchmark/benchmark.h>

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <clocale>
#include <cstdlib>
#include <memory>

#include "SilentDialogs.h"
#include "engine/DensityGrid.h"
#include "window/MainWindow.h"

namespace nivaro {
namespace {

// What a user sees of one Apply: when the progress strip shows, when the
// picture is there, and the longest time the window did not answer (the
// largest gap between the ticks of a 5 ms timer).
struct ApplySeen {
    double toProgressMs = -1.0;
    double toPictureMs = 0.0;
    double longestStallMs = 0.0;
};

class Heartbeat {
public:
    explicit Heartbeat(const QWidget* progress) : progress_(progress)
    {
        timer_.setInterval(5);
        QObject::connect(&timer_, &QTimer::timeout, [this] { Tick(); });
    }

    template <typename Work>
    ApplySeen Watch(Work&& work)
    {
        seen_ = {};
        clock_.start();
        last_ = 0;
        timer_.start();
        work();
        Tick();
        timer_.stop();
        seen_.toPictureMs = static_cast<double>(clock_.nsecsElapsed()) / 1e6;
        return seen_;
    }

private:
    void Tick()
    {
        const double now = static_cast<double>(clock_.nsecsElapsed()) / 1e6;
        seen_.longestStallMs = std::max(seen_.longestStallMs, now - last_);
        last_ = now;
        if (seen_.toProgressMs < 0 && progress_ != nullptr && progress_->isVisible()) {
            seen_.toProgressMs = now;
        }
    }

    const QWidget* progress_;
    QTimer timer_;
    QElapsedTimer clock_;
    double last_ = 0;
    ApplySeen seen_;
};

struct Window {
    Window()
    {
        QDir::setCurrent(folder.path());
        window = std::make_unique<MainWindow>(state, dialogs);
        window->Start(folder.path());
        window->resize(1400, 900);
        window->show();
        QApplication::processEvents();
    }

    void SetGrid(int size)
    {
        for (const char* field : {"nxField", "nzField"}) {
            window->findChild<QLineEdit*>(QString::fromLatin1(field))->setText(QString::number(size));
        }
    }

    QTemporaryDir folder;
    SimulationState state;
    SilentDialogs dialogs;
    std::unique_ptr<MainWindow> window;
};

std::unique_ptr<Window> shown;

void Report(benchmark::State& run, const ApplySeen& worst)
{
    run.counters["to_progress_ms"] = worst.toProgressMs;
    run.counters["to_picture_ms"] = worst.toPictureMs;
    run.counters["longest_stall_ms"] = worst.longestStallMs;
}

// Apply on the 3D page (args: grid size, 0) or the 2D page (1): the
// computation, the chart or the carpet with its trajectories, out.bmp.
void BM_WindowApply(benchmark::State& run)
{
    Window& w = *shown;
    w.SetGrid(static_cast<int>(run.range(0)));
    w.window->findChild<QTabWidget*>(QStringLiteral("pages"))->setCurrentIndex(static_cast<int>(run.range(1)));
    QApplication::processEvents();
    Heartbeat heartbeat(w.window->findChild<QWidget*>(QStringLiteral("progressView")));
    ApplySeen worst;
    for (auto _ : run) {
        const ApplySeen seen = heartbeat.Watch([&] { w.window->ApplyParameters(); });
        worst.toProgressMs = std::max(worst.toProgressMs, seen.toProgressMs);
        worst.toPictureMs = std::max(worst.toPictureMs, seen.toPictureMs);
        worst.longestStallMs = std::max(worst.longestStallMs, seen.longestStallMs);
    }
    Report(run, worst);
}

// Baseline: the engine's density of the same grid alone, and how long an
// idle window goes between ticks meanwhile (the timer's own resolution).
void BM_DensityAloneBaseline(benchmark::State& run)
{
    SimulationState state;
    state.grid.nx = state.grid.nz = static_cast<int>(run.range(0));
    SilentProgress progress;
    Heartbeat heartbeat(nullptr);
    ApplySeen worst;
    for (auto _ : run) {
        const ApplySeen seen = heartbeat.Watch([&] {
            ComputeDensityGrid(state, progress);
            QTimer::singleShot(20, [] {});
            QApplication::processEvents(QEventLoop::WaitForMoreEvents);
        });
        worst.toPictureMs = std::max(worst.toPictureMs, seen.toPictureMs);
        worst.longestStallMs = std::max(worst.longestStallMs, seen.longestStallMs);
    }
    Report(run, worst);
}

BENCHMARK(BM_WindowApply)->Args({300, 0})->Args({2000, 0})->Args({8000, 0})->Args({300, 1})->Args({2000, 1})
    ->Args({8000, 1})->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_DensityAloneBaseline)->Arg(300)->Arg(2000)->Arg(8000)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
}  // namespace nivaro

int main(int argc, char** argv)
{
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication application(argc, argv);
    std::setlocale(LC_NUMERIC, "C");
    nivaro::shown = std::make_unique<nivaro::Window>();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    nivaro::shown.reset();
    return 0;
}
