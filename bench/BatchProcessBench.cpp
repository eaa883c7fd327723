#include <benchmark/benchmark.h>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace nivaro {
namespace {

// What a whole process cost: its standard error, CPU seconds and peak
// resident bytes, as the system counted them.
struct ProcessRun {
    std::string err;
    double cpuSeconds = 0.0;
    double peakBytes = 0.0;
    int status = -1;
};

ProcessRun RunProcess(const std::vector<std::string>& arguments)
{
    std::array<int, 2> pipeEnds{};
    ProcessRun run;
    if (pipe(pipeEnds.data()) != 0) {
        return run;
    }
    const pid_t child = fork();
    if (child == 0) {
        dup2(pipeEnds[1], STDERR_FILENO);
        close(pipeEnds[0]);
        std::vector<char*> argv;
        for (const std::string& argument : arguments) {
            argv.push_back(const_cast<char*>(argument.c_str()));
        }
        argv.push_back(nullptr);
        execvp(argv[0], argv.data());
        _exit(127);
    }
    close(pipeEnds[1]);
    std::array<char, 4096> buffer{};
    for (ssize_t got = 0; (got = read(pipeEnds[0], buffer.data(), buffer.size())) > 0;) {
        run.err.append(buffer.data(), static_cast<std::size_t>(got));
    }
    close(pipeEnds[0]);
    rusage usage{};
    wait4(child, &run.status, 0, &usage);
    run.cpuSeconds = static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
                     static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
    run.peakBytes = usage.ru_maxrss * 1024.0;
    return run;
}

// The seconds after "LABEL: " in a run's standard error.
double SecondsAfter(const std::string& err, const std::string& label)
{
    const std::size_t at = err.find(label + ": ");
    return at == std::string::npos ? -1.0 : std::atof(err.c_str() + at + label.size() + 2);
}

// The batch's stage and whole process against the NumPy script's compute
// time and whole process.
void ReportAgainstNumpy(benchmark::State& state, const ProcessRun& batch, const std::string& stageLabel,
                        const ProcessRun& numpy)
{
    const double stage = SecondsAfter(batch.err, stageLabel);
    const double numpyCompute = SecondsAfter(numpy.err, "compute");
    state.counters[stageLabel + "_stage_s"] = stage;
    state.counters["numpy_compute_s"] = numpyCompute;
    state.counters["stage_speedup"] = numpyCompute / stage;
    state.counters["process_cpu_s"] = batch.cpuSeconds;
    state.counters["numpy_process_cpu_s"] = numpy.cpuSeconds;
    state.counters["process_cpu_speedup"] = numpy.cpuSeconds / batch.cpuSeconds;
}

const std::string kBatch = NIVARO_BATCH_PROGRAM;
const std::filesystem::path kOutput = std::filesystem::temp_directory_path() / "nivaro-bench-d.npy";

std::vector<std::string> BatchArguments(int size, int slits, const std::vector<std::string>& outputs)
{
    std::vector<std::string> arguments = {kBatch, "--quiet", "--timings", "--set", "nx=" + std::to_string(size),
                                          "--set", "nz=" + std::to_string(size),
                                          "--set", "slits=" + std::to_string(slits)};
    arguments.insert(arguments.end(), outputs.begin(), outputs.end());
    return arguments;
}

// The same slit sum as a vectorised NumPy script, the way a user would
// write it: psi = F(z) sum_k exp(A(z) (x - c_k)^2), |psi|^2 normalised.
const char* kNumpyScript = R"(
import sys, time, numpy as np
n, slits = int(sys.argv[1]), int(sys.argv[2])
hbar, m, lam, d, s0 = 1.054571628e-34, 9.1095e-31, 1e-8, 1e-8, 2e-9
started = time.perf_counter()
x = (np.arange(n) - n / 2) * 2e-10
z = np.arange(n) * 2e-10 + 2 * d * d / lam
p = 2 * np.pi * hbar / lam
t = lam * z / (4 * np.pi * s0)
sigma = s0 + 1j * t
a = -0.25 / (s0 * sigma)
f = np.sqrt((1 / np.sqrt(2 * np.pi)) / sigma) * np.exp(1.5j * p * z / hbar)
total = np.zeros((n, n), complex)
for c in (np.arange(slits) - (slits - 1) / 2) * d:
    total += np.exp(a[None, :] * ((x - c) ** 2)[:, None])
density = np.abs(f[None, :] * total) ** 2 * s0 * np.sqrt(2 * np.pi) / slits
np.save(sys.argv[3], density)
sys.stderr.write("compute: %.4f\n" % (time.perf_counter() - started))
)";

// Whole nivaro-batch --density d.npy in a fresh process (its density stage
// is cold: first in the process, memory not yet touched) against the NumPy
// script of the same work, run once as the baseline.
void BM_BatchDensityAgainstNumpy(benchmark::State& state)
{
    const int size = static_cast<int>(state.range(0));
    const int slits = static_cast<int>(state.range(1));
    const ProcessRun numpy = RunProcess({"/usr/bin/python3", "-c", kNumpyScript, std::to_string(size),
                                         std::to_string(slits), kOutput.string()});
    ProcessRun batch;
    for (auto _ : state) {
        batch = RunProcess(BatchArguments(size, slits, {"--density", kOutput.string()}));
    }
    if (batch.status != 0 || numpy.status != 0) {
        state.SkipWithError((batch.err + numpy.err).c_str());
        return;
    }
    ReportAgainstNumpy(state, batch, "density", numpy);
    std::filesystem::remove(kOutput);
}

// Bohmian paths as a user would write them in NumPy: every path under way
// advanced at once by the fixed arc-length Euler step of one pixel, the
// velocity from the slit sum; either the regular starts (every half row
// below nxb inside an opening) or starts drawn from |psi|^2 at the first
// column.
const char* kNumpyPathsScript = R"(
import sys, time, numpy as np
n, slits, nxb, count = (int(a) for a in sys.argv[1:5])
hbar, m, lam, d, s0, w, dx = 1.054571628e-34, 9.1095e-31, 1e-8, 1e-8, 2e-9, 1e-8, 2e-10
started = time.perf_counter()
v = 2 * np.pi * hbar / (m * lam)
centres = (np.arange(slits) - (slits - 1) / 2) * d
x_of = lambda row: (row - n / 2) * dx
def density(x, z):
    a = -0.25 / (s0 * (s0 + 1j * lam * z / (4 * np.pi * s0)))
    return np.abs(np.exp(a * (x[:, None] - centres[None, :]) ** 2).sum(1)) ** 2
if count == 0:
    rows = np.arange(0, nxb, 0.5)
    row = rows[np.any(np.abs(x_of(rows)[:, None] - centres[None, :]) < w / 2, axis=1)]
else:
    fine = np.linspace(0, n - 1, 16 * (n - 1) + 1)
    weight = density(x_of(fine), 0.0)
    row = np.random.default_rng(1).choice(fine, size=count, p=weight / weight.sum())
column = np.zeros_like(row)
positions = 0
while row.size:
    keep = (np.rint(row) >= -1) & (np.rint(row) <= n + 1) & (np.rint(column) < n)
    row, column = row[keep], column[keep]
    positions += row.size
    a = (-0.25 / (s0 * (s0 + 1j * lam * column * dx / (4 * np.pi * s0))))[:, None]
    u = x_of(row)[:, None] - centres[None, :]
    e = np.exp(a * u * u)
    W = -2 * hbar / m * np.imag(a[:, 0] * (u * e).sum(1) / e.sum(1))
    length = np.hypot(W, v)
    column, row = column + v / length, row - W / length
sys.stderr.write("compute: %.4f\n" % (time.perf_counter() - started))
)";

// Whole nivaro-batch runs in fresh processes against the NumPy paths of the
// same work, run once as the baseline: the carpet's regular paths at 2000^2,
// N = 20, nxb = 1000 (the carpet stage: the grey picture and its paths), and
// an ensemble of 100000 paths on the default grid (its stage: sampling and
// error-controlled paths; NumPy takes Euler steps).
void BM_BatchPathsAgainstNumpy(benchmark::State& state)
{
    const bool ensemble = state.range(0) == 1;
    const int size = ensemble ? 300 : 2000;
    const int slits = ensemble ? 2 : 20;
    const std::string nxb = ensemble ? "150" : "1000";
    const std::string count = ensemble ? "100000" : "0";
    const std::string output =
        (std::filesystem::temp_directory_path() / (ensemble ? "nivaro-bench-h.csv" : "nivaro-bench-c.bmp")).string();
    const ProcessRun numpy =
        RunProcess({"/usr/bin/python3", "-c", kNumpyPathsScript, std::to_string(size), std::to_string(slits), nxb, count});
    const std::vector<std::string> outputs =
        ensemble ? std::vector<std::string>{"--ensemble", count, "--histogram", output}
                 : std::vector<std::string>{"--set", "nxb=" + nxb, "--carpet", output};
    ProcessRun batch;
    for (auto _ : state) {
        batch = RunProcess(BatchArguments(size, slits, outputs));
    }
    if (batch.status != 0 || numpy.status != 0) {
        state.SkipWithError((batch.err + numpy.err).c_str());
        return;
    }
    ReportAgainstNumpy(state, batch, ensemble ? "ensemble" : "carpet", numpy);
    std::filesystem::remove(output);
}

// Peak resident bytes a grid point of what each run holds, over the same
// program's peak on a 16 by 16 grid (its code and libraries) as baseline.
void BM_BatchPeakBytesPerPoint(benchmark::State& state)
{
    const int size = 2000;
    const std::string psi = (std::filesystem::temp_directory_path() / "nivaro-bench-p.npy").string();
    const std::string carpet = (std::filesystem::temp_directory_path() / "nivaro-bench-c.png").string();
    const std::vector<std::vector<std::string>> outputs = {
        {"--density", kOutput.string()},
        {"--density", kOutput.string(), "--psi", psi},
        {"--carpet", carpet},
    };
    const std::vector<std::string>& chosen = outputs[static_cast<std::size_t>(state.range(0))];
    const ProcessRun baseline = RunProcess(BatchArguments(16, 20, chosen));
    ProcessRun run;
    for (auto _ : state) {
        run = RunProcess(BatchArguments(size, 20, chosen));
    }
    state.counters["bytes_per_point"] = (run.peakBytes - baseline.peakBytes) / (static_cast<double>(size) * size);
    state.counters["baseline_peak_MB"] = baseline.peakBytes / 1e6;
    for (const std::string& file : {kOutput.string(), psi, carpet}) {
        std::filesystem::remove(file);
    }
}

BENCHMARK(BM_BatchDensityAgainstNumpy)
    ->Args({2000, 20})
    ->Args({4000, 41})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);
// 0: the carpet's regular paths, 1: an ensemble.
BENCHMARK(BM_BatchPathsAgainstNumpy)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(1);
// 0: density only, 1: density and psi, 2: the carpet with its trajectories.
BENCHMARK(BM_BatchPeakBytesPerPoint)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace
}  // namespace nivaro

BENCHMARK_MAIN();
