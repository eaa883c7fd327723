#include <benchmark/benchmark.h>

#include <QGuiApplication>
#include <QTemporaryDir>
#include <clocale>
#include <cstdlib>
#include <sstream>

#include "BatchRun.h"

namespace nivaro {
namespace {

// A z0 sweep over one Talbot length on the default grid: the carpets as
// PNG frames and the animated GIF, in one process.
void BM_ZSweep(benchmark::State& run)
{
    const QTemporaryDir folder;
    const std::string frames = std::to_string(run.range(0));
    for (auto _ : run) {
        std::ostringstream out;
        std::ostringstream err;
        const int status = RunBatch({"--sweep", "z0=0:1:" + frames, "--carpet", folder.filePath("c-{index}.png").toStdString(),
                                     "--animation", folder.filePath("a.gif").toStdString(), "--force", "--quiet"},
                                    out, err, false);
        if (status != 0) {
            run.SkipWithError(err.str().c_str());
        }
    }
    run.counters["frames_per_s"] = benchmark::Counter(static_cast<double>(run.range(0)),
                                                      benchmark::Counter::kIsIterationInvariantRate);
}

// Baseline: the same frames as separate runs, each with its own grids, and
// no animation.
void BM_ZSweepBaseline(benchmark::State& run)
{
    const QTemporaryDir folder;
    const int frames = static_cast<int>(run.range(0));
    for (auto _ : run) {
        for (int i = 0; i < frames; ++i) {
            std::ostringstream out;
            std::ostringstream err;
            RunBatch({"--set", "z0=" + std::to_string(i / (frames - 1.0)), "--carpet",
                      folder.filePath(QStringLiteral("c-%1.png").arg(i)).toStdString(), "--quiet"},
                     out, err, false);
        }
    }
    run.counters["frames_per_s"] = benchmark::Counter(static_cast<double>(frames),
                                                      benchmark::Counter::kIsIterationInvariantRate);
}

BENCHMARK(BM_ZSweep)->Arg(100)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();
BENCHMARK(BM_ZSweepBaseline)->Arg(100)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();

}  // namespace
}  // namespace nivaro

int main(int argc, char** argv)
{
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QGuiApplication application(argc, argv);
    std::setlocale(LC_NUMERIC, "C");
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
