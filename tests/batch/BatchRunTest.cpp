#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <set>
#include <sstream>
#include <tuple>
#include <vector>

#include <QImage>
#include <QImageReader>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <cstring>
#include <hdf5.h>
#include <csignal>
#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>

#include "BatchRun.h"
#include "ArrayFiles.h"
#include "TestFiles.h"

namespace nivaro {
namespace {

struct BatchResult {
    int status;
    std::string out;
    std::string err;
};

BatchResult Batch(const std::vector<std::string>& arguments, bool showProgress = false)
{
    std::ostringstream out;
    std::ostringstream err;
    const int status = RunBatch(arguments, out, err, showProgress);
    return {status, out.str(), err.str()};
}

std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream stream(text);
    for (std::string line; std::getline(stream, line);) {
        lines.push_back(line);
    }
    return lines;
}

std::vector<std::string> Fields(const std::string& line, char separator)
{
    std::vector<std::string> fields;
    std::istringstream stream(line);
    for (std::string field; std::getline(stream, field, separator);) {
        fields.push_back(field);
    }
    return fields;
}

TEST(Batch, HelpAndVersion)
{
    const BatchResult help = Batch({"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("slite width"), std::string::npos);
    EXPECT_NE(help.out.find("--trajectories FILE"), std::string::npos);
    EXPECT_EQ(Batch({"--version"}).out, "nivaro-batch 1.26\n");
}

TEST(Batch, DensityTableOfTheDefaults)
{
    const ScratchFolder folder;
    const auto table = folder / "density.txt";
    const BatchResult result = Batch({"--density", table.string()}, true);
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_NE(result.err.find("] 100%"), std::string::npos) << "a progress bar when asked for, ending full";
    EXPECT_EQ(result.err.back(), '\n') << "its line ended";
    const std::string text = ReadWholeFile(table);
    const std::vector<std::string> lines = Lines(text);
    ASSERT_EQ(lines.size(), 301u);
    EXPECT_EQ(lines[300], "");
    EXPECT_EQ(text.substr(text.size() - 3), "\t\n\n");
    const std::vector<std::string> axis = Fields(lines[150], '\t');
    ASSERT_EQ(axis.size(), 300u);
    EXPECT_EQ(axis[0], " 0.0879") << "2 exp(-3.125) on the axis at the grating";
    EXPECT_EQ(Fields(lines[175], '\t')[0], " 0.5019");
}

TEST(Batch, SettingsAndFormatShapeTheTable)
{
    const ScratchFolder folder;
    const auto table = folder / "density.txt";
    const BatchResult result =
        Batch({"--set", "nx=10", "--set", "NZ=7", "--set", "slits=1", "--set", "X-scale=1:2", "--format", "%.6e",
               "--quiet", "--density", table.string()},
              true);
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.err, "") << "--quiet shows no progress";
    const std::vector<std::string> lines = Lines(ReadWholeFile(table));
    ASSERT_EQ(lines.size(), 11u);
    EXPECT_EQ(Fields(lines[5], '\t').size(), 7u);
    EXPECT_EQ(Fields(lines[5], '\t')[0], "1.000000e+00") << "row nx / 2 lies on the single slit";
}

TEST(Batch, OptionsTakeTheirValuesAfterAnEqualsSign)
{
    const ScratchFolder folder;
    const auto separate = folder / "separate.npy";
    const auto joined = folder / "joined.npy";
    ASSERT_EQ(Batch({"--set", "nx=10", "--set", "X-scale=1:2", "--threads", "1", "--density", separate.string()}).status,
              0);
    const BatchResult result =
        Batch({"--set=nx=10", "--set=X-scale=1:2", "--threads=1", "--quiet", "--density=" + joined.string()});
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(ReadWholeFile(joined), ReadWholeFile(separate));
    for (const auto& [argument, message] : std::vector<std::pair<std::string, std::string>>{
             {"--quiet=yes", "--quiet takes no value, got 'yes'"},
             {"--threads=0", "--threads needs a whole number from 1 to 1024, got '0'"},
             {"--colour=red", "unknown option '--colour'"}}) {
        const BatchResult refused = Batch({argument, "--density", (folder / "never.npy").string()});
        EXPECT_EQ(refused.status, 2) << argument;
        EXPECT_NE(refused.err.find(message), std::string::npos) << refused.err;
    }
}

TEST(Batch, RefusedValuesNameTheKeyAndWriteNothing)
{
    const std::vector<std::vector<std::string>> cases = {
        {"--set", "nx=0"},        {"--set", "slits=0"},     {"--set", "mass=-1"},   {"--set", "lambda=abc"},
        {"--set", "step=0"},      {"--set", "dxb=-0.5"},    {"--set", "sigma0=inf"}, {"--set", "X-scale=0:0"},
        {"--set", "Z-scale=abc"}, {"--set", "nx=1.5"},      {"--set", "colour=1"},   {"--set", "nx"},
        {"--format", "%d"},       {"--format", "%f %f"},    {"--bogus"},             {"--set"},
        {"--set", "nx=2000000000", "--set", "nz=2000000000"},
        {"--threads", "0"},       {"--threads", "two"},
        // Hangs, floods and NaN tables found by probing: refused before anything is written.
        {"--set", "nxb=2147483647"}, {"--set", "dxb=1e308", "--chart", "c.png", "--show-trajectories"},
        {"--set", "d=1e300"},     {"--set", "z0=1e308"},       {"--set", "z0=-1e308"},  {"--set", "sigma0=1e-300"},
        {"--set", "slite width=0"}, {"--set", "lambda=1e300"},
        {"--set", "X-scale=-3:1"}, {"--set", "Z-scale=1e400:1"}, {"--set", "P-scale=1:0"},
        // Two outputs, one file: one would silently replace the other.
        {"--trajectories", "density.txt"}, {"--write-config", "density.txt"},
        // A trajectory file's format comes from its name: CSV, .npy or .h5.
        {"--trajectories", "paths.dat"},
    };
    const ScratchFolder folder;
    const auto table = folder / "density.txt";
    for (std::vector<std::string> arguments : cases) {
        const std::string shown = arguments.size() > 1 ? arguments[1] : arguments[0];
        for (std::string& argument : arguments) {
            if (argument == "c.png" || argument == "density.txt") {
                argument = (folder / argument).string();
            }
        }
        arguments.insert(arguments.begin(), {"--density", table.string()});
        const BatchResult result = Batch(arguments);
        EXPECT_EQ(result.status, 2) << shown;
        EXPECT_NE(result.err.find(shown.substr(0, shown.find('='))), std::string::npos) << result.err;
        EXPECT_FALSE(std::filesystem::exists(table)) << shown;
        EXPECT_TRUE(std::filesystem::is_empty(folder.Path())) << shown;
    }
    EXPECT_EQ(Batch({}).status, 2) << "nothing to write";
    for (const std::vector<std::string>& arguments :
         std::vector<std::vector<std::string>>{{"--carpet", "x.gif"}, {"--carpet", "x"}, {"--contrast", "6", "--carpet", "x.bmp"},
                                               {"--contrast", "-1", "--carpet", "x.bmp"}}) {
        EXPECT_EQ(Batch(arguments).status, 2) << arguments[1];
    }
}

TEST(Batch, TimingsNameEachStageAndEachWrittenFileAndThreadsDoNotChangeTheTable)
{
    const ScratchFolder folder;
    const std::string table = (folder / "d.txt").string();
    const std::string carpet = (folder / "c.png").string();
    const BatchResult timed = Batch({"--quiet", "--timings", "--threads", "1", "--density", table, "--carpet", carpet,
                                     "--spectrum", (folder / "s.txt").string()});
    ASSERT_EQ(timed.status, 0) << timed.err;
    const std::vector<std::string> lines = Lines(timed.err);
    const std::vector<std::string> stages = {"density", "write " + table, "carpet", "write " + carpet, "spectrum",
                                             "write " + (folder / "s.txt").string()};
    ASSERT_EQ(lines.size(), stages.size()) << timed.err;
    for (std::size_t k = 0; k < stages.size(); ++k) {
        const std::string prefix = stages[k] + ": ";
        EXPECT_EQ(lines[k].substr(0, prefix.size()), prefix) << lines[k];
        EXPECT_EQ(lines[k].substr(lines[k].size() - 2), " s") << lines[k];
        const std::string seconds = lines[k].substr(prefix.size(), lines[k].size() - prefix.size() - 2);
        EXPECT_EQ(seconds.size() - seconds.find('.'), 5u) << "four decimals: " << lines[k];
    }
    const std::string oneThread = ReadWholeFile(table);
    ASSERT_EQ(Batch({"--threads", "3", "--density", table}).status, 0);
    EXPECT_EQ(ReadWholeFile(table), oneThread);
    EXPECT_TRUE(Batch({"--quiet", "--density", table}).err.empty()) << "no timings unless asked for";
}

TEST(Batch, WorkBeyondTheLimitsIsRefusedWithItsEstimateBeforeAnythingIsWritten)
{
    const ScratchFolder folder;
    const std::string carpet = (folder / "c.bmp").string();
    const std::string csv = (folder / "t.csv").string();
    const std::vector<std::vector<std::string>> cases = {
        {"--set", "dxb=1e-300", "--carpet", carpet},                  // the start loop would never end
        {"--set", "step=1e-4", "--trajectories", csv},                // tens of gigabytes of CSV
        {"--set", "slits=100000000", "--density", csv},               // more memory than there is
        {"--set", "step=1e-4", "--set", "dxb=0.01", "--carpet", carpet},  // hours of tracing
        // Streamed, though the density alone exceeds the memory: refused only for its time and output.
        {"--set", "nx=400000", "--set", "nz=400000", "--density", (folder / "d.npy").string()},
    };
    for (const std::vector<std::string>& arguments : cases) {
        const BatchResult result = Batch(arguments);
        EXPECT_EQ(result.status, 2) << arguments[1];
        EXPECT_NE(result.err.find("about "), std::string::npos) << result.err;
        EXPECT_TRUE(std::filesystem::is_empty(folder.Path())) << arguments[1];
    }
    EXPECT_NE(Batch(cases[3]).err.find("--no-limit"), std::string::npos);
    const std::string streamed = Batch(cases.back()).err;
    EXPECT_NE(streamed.find("columns at a time"), std::string::npos) << streamed;
    EXPECT_NE(streamed.find("--no-limit"), std::string::npos) << streamed;
    EXPECT_EQ(Batch({"--no-limit", "--set", "dxb=0.25", "--carpet", carpet}).status, 0);
    // --no-limit lifts the time and output limits, not the memory check.
    const BatchResult starts = Batch({"--no-limit", "--set", "nx=8", "--set", "nz=8", "--set", "dxb=1e-300", "--trajectories", csv});
    EXPECT_EQ(starts.status, 2);
    EXPECT_NE(starts.err.find("memory"), std::string::npos) << starts.err;
    EXPECT_NE(starts.err.find("dxb"), std::string::npos) << starts.err;
}

TEST(Batch, AnUnreadableDataFileIsReportedAndTheRegularStartsAreDrawn)
{
    const ScratchFolder folder;
    const BatchResult result =
        Batch({"--dat", (folder / "missing.dat").string(), "--carpet", (folder / "c.bmp").string()});
    EXPECT_EQ(result.status, 0);
    EXPECT_NE(result.err.find("cannot read the data file"), std::string::npos) << result.err;
}

TEST(Batch, ASignalStopsTheRunRemovesItsUnfinishedFilesAndGivesItsNumber)
{
    for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
        const ScratchFolder folder;
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            // Minutes of tracing, far beyond the signal a moment later.
            const BatchResult result = Batch({"--no-limit", "--set", "nx=1000", "--set", "nz=1000", "--set", "nxb=1000", "--set", "step=0.01",
                                              "--density", (folder / "d.txt").string(), "--trajectories",
                                              (folder / "t.csv").string()});
            ::_exit(result.status);
        }
        ::usleep(500000);
        ::kill(child, signal);
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFEXITED(status)) << "ended by the signal instead of stopping";
        EXPECT_EQ(WEXITSTATUS(status), 128 + signal);
        for (const auto& entry : std::filesystem::directory_iterator(folder.Path())) {
            EXPECT_EQ(entry.path().string().find("unfinished"), std::string::npos) << entry.path();
        }
        EXPECT_FALSE(std::filesystem::exists(folder / "t.csv"));
    }
}

TEST(Batch, ArraysAsNumpyAndHdf5FilesHoldTheTablesValuesAndEverySetting)
{
    const ScratchFolder folder;
    ASSERT_EQ(Batch({"--set", "slits=3", "--density", (folder / "d.txt").string(), "--psi", (folder / "p.npy").string(),
                     "--output", (folder / "run.h5").string()})
                  .status,
              0);
    ASSERT_EQ(Batch({"--set", "slits=3", "--density", (folder / "d.npy").string()}).status, 0);
    const BatchResult shifted = Batch({"--set", "z0=5e-9", "--output", (folder / "shifted.h5").string()});
    EXPECT_EQ(shifted.status, 0) << "z0 is one attribute of the run file: " << shifted.err;
    const std::vector<double> density = NpyValues(folder / "d.npy");
    ASSERT_EQ(density.size(), 300u * 300u);
    const std::vector<std::string> table = Lines(ReadWholeFile(folder / "d.txt"));
    for (int i = 0; i < 300; i += 37) {
        const std::vector<std::string> fields = Fields(table[static_cast<std::size_t>(i)], '\t');
        for (int j = 0; j < 300; j += 41) {
            EXPECT_NEAR(density[static_cast<std::size_t>(i) * 300 + j], std::stod(fields[static_cast<std::size_t>(j)]), 5e-5);
        }
    }

    const hid_t run = H5Fopen((folder / "run.h5").c_str(), H5F_ACC_RDONLY, H5P_DEFAULT);
    ASSERT_GE(run, 0);
    EXPECT_EQ(Hdf5Values(run, "density", H5T_NATIVE_DOUBLE, 1), density) << "bit for bit";
    const hid_t complex = H5Tcreate(H5T_COMPOUND, 16);
    H5Tinsert(complex, "r", 0, H5T_NATIVE_DOUBLE);
    H5Tinsert(complex, "i", 8, H5T_NATIVE_DOUBLE);
    EXPECT_EQ(Hdf5Values(run, "psi", complex, 2), NpyValues(folder / "p.npy")) << "psi to the last bit";
    H5Tclose(complex);
    EXPECT_EQ(Hdf5Values(run, "x_m", H5T_NATIVE_DOUBLE, 1).size(), 300u);
    const std::vector<double> spectrum = Hdf5Values(run, "spectrum", H5T_NATIVE_DOUBLE, 1);
    EXPECT_EQ(spectrum.size(), 256u * 256u);
    EXPECT_GT(*std::max_element(spectrum.begin(), spectrum.end()), 1e6) << "the run file's spectrum is not capped";
    EXPECT_FALSE(Hdf5Values(run, "trajectories/row", H5T_NATIVE_DOUBLE, 1).empty());
    for (const auto& [key, value] : std::vector<std::pair<const char*, const char*>>{
             {"slits", "3"}, {"lambda", "1E-8"}, {"X-scale", "1:1"}, {"nx", "300"}, {"step", "1"}, {"z0", "0"},
             {"integrator", "euler"}, {"tolerance", "1E-6"}, {"program_version", "1.26"}}) {
        EXPECT_EQ(Hdf5Attribute(run, key), value) << key;
    }
    // The numbers again as numbers, each with its unit.
    for (const auto& [key, value, unit] : std::vector<std::tuple<const char*, double, const char*>>{
             {"settings/slits", 3.0, "1"}, {"settings/lambda", 1e-8, "m"}, {"settings/nx", 300.0, "rows"},
             {"settings/tolerance", 1e-6, "pixels"}}) {
        EXPECT_EQ(Hdf5Values(run, key, H5T_NATIVE_DOUBLE, 1), std::vector<double>{value}) << key;
        const hid_t dataset = H5Dopen2(run, key, H5P_DEFAULT);
        EXPECT_EQ(Hdf5Attribute(dataset, "unit"), unit) << key;
        H5Dclose(dataset);
    }
    H5Fclose(run);

    EXPECT_EQ(Batch({"--psi", (folder / "p.txt").string()}).status, 2) << "psi needs an array format";
    EXPECT_EQ(Batch({"--output", (folder / "run.npy").string()}).status, 2);
}

// The wave model's density, carpet, paths, ensembles and Q.
TEST(Batch, TheWaveModel)
{
    const ScratchFolder folder;
    ASSERT_EQ(Batch({"--density", (folder / "slits.npy").string()}).status, 0);
    const BatchResult gaussianRun = Batch({"--set", "model=wave", "--density", (folder / "gaussian.npy").string()});
    ASSERT_EQ(gaussianRun.status, 0);
    EXPECT_NE(gaussianRun.err.find("nivaro-batch: warning: outside the paraxial regime (lambda/d = 1,"),
              std::string::npos)
        << gaussianRun.err;
    const std::vector<double> slits = NpyValues(folder / "slits.npy");
    const std::vector<double> gaussian = NpyValues(folder / "gaussian.npy");
    ASSERT_EQ(gaussian.size(), slits.size());
    for (std::size_t i = 0; i < slits.size(); i += 997) {
        ASSERT_NEAR(gaussian[i], slits[i], 1e-9) << i;
    }
    const BatchResult rectangular = Batch({"--set", "model=wave", "--set", "grating=rectangular", "--set",
                                           "propagator=exact", "--density", (folder / "r.npy").string(), "--carpet",
                                           (folder / "r.bmp").string(), "--no-trajectories"});
    ASSERT_EQ(rectangular.status, 0) << rectangular.err;
    EXPECT_NE(NpyValues(folder / "r.npy"), slits);
    EXPECT_EQ(rectangular.err.find("warning"), std::string::npos) << "exact propagation: " << rectangular.err;
    const BatchResult paraxial = Batch({"--set", "lambda=1e-11", "--set", "Z-scale=1:1000", "--density",
                                        (folder / "p.npy").string()});
    EXPECT_EQ(paraxial.err.find("warning"), std::string::npos) << paraxial.err;
    const BatchResult run = Batch({"--set", "model=wave", "--output", (folder / "wave.h5").string()});
    EXPECT_EQ(run.status, 0) << "a run file with its paths: " << run.err;
    const BatchResult carpet = Batch({"--set", "model=wave", "--carpet", (folder / "paths.bmp").string()});
    EXPECT_EQ(carpet.status, 0) << carpet.err;
    EXPECT_EQ(carpet.err.find("trajector"), std::string::npos) << "the carpet is drawn with its paths: " << carpet.err;
    const BatchResult paths = Batch({"--set", "model=wave", "--trajectories", (folder / "t.csv").string(),
                                     "--quantum-potential", (folder / "q.npy").string(), "--ensemble", "200",
                                     "--histogram-at", "150", "--histogram", (folder / "h.csv").string()});
    EXPECT_EQ(paths.status, 0) << paths.err;
    EXPECT_GT(Lines(ReadWholeFile(folder / "t.csv")).size(), 100u);
    EXPECT_EQ(Lines(ReadWholeFile(folder / "h.csv")).front(), "x_m,ensemble,density");
    const std::vector<double> q = NpyValues(folder / "q.npy");
    EXPECT_TRUE(std::any_of(q.begin(), q.end(), [](double value) { return std::isfinite(value); }));
}

TEST(Batch, APartiallyCoherentBeamGivesItsDensityAndVisibilityAndRefusesWhatNeedsPsi)
{
    const ScratchFolder folder;
    const BatchResult run = Batch({"--set", "slits=9", "--set", "lambda=1e-10", "--set", "z0=1", "--set", "nz=20",
                                   "--set", "lambda spread=0.02", "--visibility", (folder / "v.csv").string(),
                                   "--carpet", (folder / "c.bmp").string(), "--output", (folder / "r.h5").string()});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.err.find("coherence samples ("), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("drawn without them"), std::string::npos) << run.err;
    const std::vector<std::string> lines = Lines(ReadWholeFile(folder / "v.csv"));
    ASSERT_EQ(lines.size(), 21u);
    EXPECT_EQ(lines.front(), "z_m,z_over_zt,visibility");
    EXPECT_EQ(Fields(lines[1], ',')[1], "1") << "the first column lies at the Talbot length";
    const double visibility = std::stod(Fields(lines[1], ',')[2]);
    EXPECT_TRUE(visibility > 0.1 && visibility < 1.0) << visibility;
    for (const char* needsPsi : {"--psi", "--trajectories", "--quantum-potential"}) {
        const BatchResult refused = Batch({"--set", "lambda spread=0.02", needsPsi, (folder / "x.npy").string()});
        EXPECT_EQ(refused.status, 2) << needsPsi;
        EXPECT_NE(refused.err.find("lambda spread=0.02: a partially coherent beam has no single psi"),
                  std::string::npos)
            << refused.err;
    }
}

TEST(Batch, AnEnsembleHistogramAndTheQuantumPotential)
{
    const ScratchFolder folder;
    const auto histogram = folder / "h.csv";
    const std::vector<std::string> run = {"--ensemble", "3000", "--seed", "5", "--histogram-at", "150", "--bins", "20",
                                          "--histogram", histogram.string()};
    const BatchResult first = Batch(run);
    ASSERT_EQ(first.status, 0) << first.err;
    const std::vector<std::string> lines = Lines(ReadWholeFile(histogram));
    ASSERT_EQ(lines.size(), 21u);
    EXPECT_EQ(lines[0], "x_m,ensemble,density");
    long long counted = 0;
    double integral = 0;
    const double width = std::stod(Fields(lines[2], ',')[0]) - std::stod(Fields(lines[1], ',')[0]);
    for (std::size_t b = 1; b < lines.size(); ++b) {
        const std::vector<std::string> fields = Fields(lines[b], ',');
        ASSERT_EQ(fields.size(), 3u) << lines[b];
        counted += std::stoll(fields[1]);
        integral += std::stod(fields[2]) * width;
    }
    EXPECT_NEAR(integral, 1.0, 1e-9) << "a probability density over the histogram's range";
    EXPECT_NE(first.err.find("total variation distance 0.0"), std::string::npos) << first.err;
    EXPECT_NE(first.err.find("at column 150"), std::string::npos) << first.err;
    EXPECT_NE(first.err.find(std::to_string(counted) + " trajectories counted"), std::string::npos) << first.err;
    EXPECT_NE(first.err.find("\noutside the grid: "), std::string::npos) << first.err;
    const BatchResult shown = Batch(run, true);
    const std::size_t bar = shown.err.find("ensemble [");
    ASSERT_NE(bar, std::string::npos) << shown.err;
    EXPECT_LT(shown.err.find("] 100%", bar), shown.err.find('\n', bar)) << "the bar ends full, on its own line";
    EXPECT_LT(shown.err.find('\n', bar), shown.err.find("total variation")) << shown.err;
    const std::string written = ReadWholeFile(histogram);
    ASSERT_EQ(Batch(run).status, 0);
    EXPECT_EQ(ReadWholeFile(histogram), written) << "the same seed, the same histogram";
    std::vector<std::string> euler = run;
    euler.insert(euler.end(), {"--ensemble-integrator", "Euler"});
    ASSERT_EQ(Batch(euler).status, 0);
    EXPECT_NE(ReadWholeFile(histogram), written) << "the carpet's Euler steps, other paths";

    ASSERT_EQ(Batch({"--set", "slits=1", "--quantum-potential", (folder / "q.npy").string()}).status, 0);
    const std::vector<double> q = NpyValues(folder / "q.npy");
    ASSERT_EQ(q.size(), 300u * 300u);
    EXPECT_TRUE(std::isnan(q[0])) << "no value far from the slit";
    EXPECT_GT(q[150 * 300 + 150], q[140 * 300 + 150]) << "one slit: Q is highest on the axis";
    EXPECT_GT(q[150 * 300 + 150], 0.0);

    const std::vector<std::pair<std::vector<std::string>, std::string>> refused = {
        {{"--ensemble", "0", "--histogram", histogram.string()}, "--ensemble needs a whole number from 1 to 1000000"},
        {{"--ensemble", "1000001", "--histogram", histogram.string()}, "--ensemble"},
        {{"--seed", "-1", "--histogram", histogram.string()}, "--seed"},
        {{"--bins", "0", "--histogram", histogram.string()}, "--bins"},
        {{"--ensemble-integrator", "rk4", "--histogram", histogram.string()},
         "--ensemble-integrator needs euler or adaptive, got 'rk4'"},
        {{"--histogram-at", "5"}, "--histogram-at needs --histogram"},
        {{"--histogram-at", "300", "--histogram", (folder / "late.csv").string()}, "histogram column=300"},
    };
    for (const auto& [arguments, message] : refused) {
        const BatchResult result = Batch(arguments);
        EXPECT_EQ(result.status, 2) << arguments[0] << " " << arguments[1] << ": " << result.err;
        EXPECT_NE(result.err.find(message), std::string::npos) << result.err;
    }
    EXPECT_FALSE(std::filesystem::exists(folder / "late.csv")) << "nothing written for a column beyond nz";
}

// A 3 by 2 sweep writes what six single runs write, byte for byte.
TEST(BatchSweep, ASweepWritesWhatSingleRunsWriteAndAnAnimation)
{
    const ScratchFolder folder;
    const BatchResult sweep =
        Batch({"--sweep", "z0=0:0.5:3", "--sweep", "slits=2:3:2", "--carpet", (folder / "frames/c-{index}.png").string(),
               "--sweep-summary", (folder / "sum.csv").string(), "--animation", (folder / "a.gif").string()});
    ASSERT_EQ(sweep.status, 0) << sweep.err;
    const std::vector<std::pair<const char*, const char*>> values = {{"0", "2"},    {"0", "3"},   {"0.25", "2"},
                                                                      {"0.25", "3"}, {"0.5", "2"}, {"0.5", "3"}};
    for (std::size_t i = 0; i < values.size(); ++i) {
        const auto single = folder / ("single-" + std::to_string(i) + ".png");
        ASSERT_EQ(Batch({"--set", std::string("z0=") + values[i].first, "--set", std::string("slits=") + values[i].second,
                         "--carpet", single.string()})
                      .status,
                  0);
        EXPECT_EQ(ReadWholeFile(folder / ("frames/c-" + std::to_string(i) + ".png")), ReadWholeFile(single)) << i;
    }
    const std::vector<std::string> summary = Lines(ReadWholeFile(folder / "sum.csv"));
    ASSERT_EQ(summary.size(), 7u);
    EXPECT_EQ(summary[0], "index,z0,slits,density_max,wall_s,status");
    EXPECT_EQ(summary[3].substr(0, 9), "2,0.25,2,");
    EXPECT_EQ(summary[6].substr(summary[6].size() - 4), "\"ok\"");

    QImageReader gif(QString::fromStdString((folder / "a.gif").string()));
    EXPECT_EQ(gif.imageCount(), 6);
    EXPECT_EQ(gif.read().size(), QSize(300, 300));

    if (!ProgramInstalled("ffprobe")) {
        std::printf("ffmpeg is not installed: the video is not checked\n");
        return;
    }
    ASSERT_EQ(Batch({"--sweep", "z0=0:1:4", "--animation", (folder / "a.mp4").string()}).status, 0);
    const std::string probe = "ffprobe -v error -count_frames -select_streams v:0 -show_entries "
                              "stream=nb_read_frames,width,height -of csv=p=0 '" + (folder / "a.mp4").string() + "'";
    std::FILE* pipe = popen(probe.c_str(), "r");
    ASSERT_NE(pipe, nullptr);
    char answer[64] = {};
    ASSERT_NE(std::fgets(answer, sizeof answer, pipe), nullptr);
    pclose(pipe);
    EXPECT_EQ(std::string(answer), "300,300,4\n");
}

TEST(BatchSweep, ClashesAndExistingFilesAreRefusedAndAFailedRunIsMarked)
{
    const ScratchFolder folder;
    const std::string carpet = (folder / "c.png").string();
    const BatchResult clash = Batch({"--sweep", "z0=0:1:2", "--carpet", carpet});
    EXPECT_EQ(clash.status, 2);
    EXPECT_NE(clash.err.find("two outputs of the sweep would write"), std::string::npos) << clash.err;
    EXPECT_TRUE(std::filesystem::is_empty(folder.Path()));

    std::ofstream(folder / "d-1.txt") << "kept";
    const std::vector<std::string> run = {"--sweep", "nx=0:10:2", "--density", (folder / "d-{nx}.txt").string(),
                                          "--sweep-summary", (folder / "sum.csv").string()};
    const BatchResult existing = Batch({"--sweep", "nx=1:10:2", "--density", (folder / "d-{nx}.txt").string()});
    EXPECT_EQ(existing.status, 2);
    EXPECT_NE(existing.err.find("give --force"), std::string::npos) << existing.err;
    EXPECT_EQ(ReadWholeFile(folder / "d-1.txt"), "kept");
    // The summary and the animation are kept alike.
    for (const auto& [option, name] : {std::pair{"--sweep-summary", "s.csv"}, std::pair{"--animation", "a.gif"}}) {
        const std::string kept = (folder / name).string();
        std::ofstream(kept) << "kept";
        const BatchResult refused = Batch({"--sweep", "nx=20:30:2", option, kept});
        EXPECT_EQ(refused.status, 2) << option;
        EXPECT_NE(refused.err.find("give --force"), std::string::npos) << refused.err;
        EXPECT_EQ(ReadWholeFile(kept), "kept") << option;
        std::filesystem::remove(kept);
    }
    // A name the system cannot take is told as every write failure is.
    const BatchResult tooLong =
        Batch({"--sweep", "z0=0:1:2", "--density", (folder / (std::string(300, 'a') + "{index}.txt")).string()});
    EXPECT_EQ(tooLong.status, 1);
    EXPECT_NE(tooLong.err.find("cannot write "), std::string::npos) << tooLong.err;
    EXPECT_NE(tooLong.err.find(": File name too long"), std::string::npos) << tooLong.err;

    const BatchResult failing = Batch(run);
    EXPECT_EQ(failing.status, 3) << failing.err;
    EXPECT_NE(failing.err.find("run 0 (nx=0) failed: "), std::string::npos) << failing.err;
    EXPECT_TRUE(std::filesystem::exists(folder / "d-10.txt")) << "the sweep went on";
    const std::vector<std::string> summary = Lines(ReadWholeFile(folder / "sum.csv"));
    ASSERT_EQ(summary.size(), 3u);
    EXPECT_NE(summary[1].find("\"failed: nx=0"), std::string::npos) << summary[1];
}

// Two shards by hand (as array jobs run them) write the files one process
// writes.
TEST(BatchSweep, ShardsTogetherWriteWhatOneProcessWrites)
{
    const ScratchFolder folder;
    const auto run = [&folder](const std::string& where, std::vector<std::string> extra) {
        std::vector<std::string> arguments = {"--sweep", "z0=0:1:4", "--carpet", (folder / where / "c-{index}.png").string(),
                                              "--density", (folder / where / "d-{index}.npy").string()};
        arguments.insert(arguments.end(), extra.begin(), extra.end());
        return Batch(arguments).status;
    };
    ASSERT_EQ(run("one", {}), 0);
    ASSERT_EQ(run("shards", {"--shard", "1/2"}), 0);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder / "shards"), {}), 4) << "runs 0 and 2 only";
    ASSERT_EQ(run("shards", {"--shard", "2/2"}), 0);
    for (int i = 0; i < 4; ++i) {
        for (const std::string& name : {"c-" + std::to_string(i) + ".png", "d-" + std::to_string(i) + ".npy"}) {
            EXPECT_EQ(ReadWholeFile(folder / "shards" / name), ReadWholeFile(folder / "one" / name)) << name;
        }
    }
    EXPECT_EQ(Batch({"--shard", "3/2", "--sweep", "z0=0:1:2"}).status, 2);
    EXPECT_EQ(Batch({"--shard", "1/2", "--sweep", "z0=0:1:2", "--animation", (folder / "a.gif").string()}).status, 2);
}

TEST(Batch, AnUnwritableOutputIsReportedWithTheReason)
{
    const ScratchFolder folder;
    const BatchResult result = Batch({"--density", (folder / "missing" / "d.txt").string()});
    EXPECT_EQ(result.status, 1);
    EXPECT_NE(result.err.find("No such file or directory"), std::string::npos) << result.err;

    const BatchResult folderAsConfig =
        Batch({"--config", folder.Path().string(), "--density", (folder / "d.txt").string()});
    EXPECT_EQ(folderAsConfig.status, 1);
    EXPECT_NE(folderAsConfig.err.find("cannot read " + folder.Path().string() + ": Is a directory"), std::string::npos)
        << folderAsConfig.err;
    EXPECT_FALSE(std::filesystem::exists(folder / "d.txt"));
}

TEST(Batch, SpectrumIsTransformedEvenWhenTheGridHas256Rows)
{
    const ScratchFolder folder;
    const auto spectrum = folder / "spectrum.txt";
    const BatchResult result =
        Batch({"--set", "nx=256", "--set", "nz=64", "--format", "%.3e", "--spectrum", spectrum.string()});
    ASSERT_EQ(result.status, 0) << result.err;
    const std::vector<std::string> lines = Lines(ReadWholeFile(spectrum));
    ASSERT_EQ(lines.size(), 257u);
    const std::vector<std::string> first = Fields(lines[0], '\t');
    ASSERT_EQ(first.size(), 256u);
    EXPECT_GT(std::stod(first[0]), 100.0) << "the zero frequency sums the whole grid, not one density value";
}

TEST(Batch, TrajectoriesOfTheRegularCarpetStarts)
{
    const ScratchFolder folder;
    const auto csv = folder / "paths.csv";
    const BatchResult result = Batch({"--set", "nz=50", "--trajectories", csv.string()});
    ASSERT_EQ(result.status, 0) << result.err;
    const std::vector<std::string> lines = Lines(ReadWholeFile(csv));
    ASSERT_GT(lines.size(), 99u * 50u);
    EXPECT_EQ(lines[0], "start_row,step,row,column,x_m,z_m");
    std::set<double> starts;
    for (std::size_t k = 1; k < lines.size(); ++k) {
        const std::vector<std::string> fields = Fields(lines[k], ',');
        ASSERT_EQ(fields.size(), 6u) << lines[k];
        const double start = std::stod(fields[0]);
        if (starts.insert(start).second) {
            EXPECT_EQ(fields[1], "0");
            EXPECT_EQ(std::stod(fields[2]), start);
            EXPECT_EQ(fields[3], "0");
            EXPECT_EQ(std::stod(fields[4]), (start - 150) * 2e-10);
        }
        EXPECT_LT(std::nearbyint(std::stod(fields[3])), 50.0);
        EXPECT_NEAR(std::stod(fields[5]), std::stod(fields[3]) * 2e-10, 1e-22);
    }
    ASSERT_EQ(starts.size(), 99u);
    EXPECT_EQ(*starts.begin(), 100.5);
    EXPECT_EQ(*starts.rbegin(), 149.5);
}

// Pixel (line, column) of a 24-bit bottom-up BMP as red, green, blue.
std::array<int, 3> BmpPixel(const std::string& bytes, int width, int height, int line, int column)
{
    const std::size_t rowBytes = 3 * static_cast<std::size_t>(width) + static_cast<std::size_t>(width % 4);
    const std::size_t at = 54 + rowBytes * static_cast<std::size_t>(height - 1 - line) + 3 * static_cast<std::size_t>(column);
    const auto byte = [&](std::size_t k) { return static_cast<int>(static_cast<unsigned char>(bytes[k])); };
    return {byte(at + 2), byte(at + 1), byte(at)};
}

TEST(Batch, CarpetPicturesInEachFormat)
{
    const ScratchFolder folder;
    const auto bmp = folder / "carpet.bmp";
    ASSERT_EQ(Batch({"--carpet", bmp.string()}).status, 0);
    const std::string bytes = ReadWholeFile(bmp);
    ASSERT_EQ(bytes.size(), 270054u);
    EXPECT_EQ(BmpPixel(bytes, 300, 300, 0, 0), (std::array<int, 3>{255, 255, 255})) << "no density: white";
    const std::array<int, 3> trajectory = BmpPixel(bytes, 300, 300, 111, 0);
    EXPECT_EQ(trajectory[1], 0) << "a magenta trajectory starts at row 111";
    EXPECT_EQ(trajectory[0], trajectory[2]);

    const auto plain = folder / "plain.bmp";
    ASSERT_EQ(Batch({"--no-trajectories", "--contrast", "0", "--carpet", plain.string()}).status, 0);
    const std::array<int, 3> grey = BmpPixel(ReadWholeFile(plain), 300, 300, 111, 0);
    EXPECT_EQ(grey[0], grey[1]);

    const auto png = folder / "carpet.PNG";
    const auto jpg = folder / "carpet.jpg";
    ASSERT_EQ(Batch({"--set", "nz=40", "--carpet", png.string()}).status, 0);
    ASSERT_EQ(Batch({"--set", "nz=40", "--carpet", jpg.string()}).status, 0);
    const std::string pngBytes = ReadWholeFile(png);
    EXPECT_EQ(pngBytes.substr(1, 3), "PNG");
    EXPECT_EQ(pngBytes.substr(16, 8), std::string("\0\0\0\x28\0\0\x01\x2c", 8)) << "40 wide, 300 high";
    EXPECT_EQ(ReadWholeFile(jpg).substr(0, 3), "\xff\xd8\xff");
}

TEST(Batch, ChartPicturesAsTheWindowDrawsThem)
{
    const ScratchFolder folder;
    const auto png = folder / "chart.png";
    const BatchResult result = Batch({"--show-trajectories", "--chart", png.string()});
    ASSERT_EQ(result.status, 0) << result.err;
    const QImage chart(QString::fromStdString(png.string()));
    ASSERT_EQ(chart.size(), QSize(832, 740));
    EXPECT_EQ(chart.pixelColor(400, 0), QColor(255, 255, 255)) << "no frame: a figure's frame is the page's";
    int lime = 0;
    for (int y = 0; y < chart.height(); y += 4) {
        for (int x = 0; x < chart.width(); x += 4) {
            const QColor c = chart.pixelColor(x, y);
            lime += c.green() > 200 && c.red() < 60 && c.blue() < 60;
        }
    }
    EXPECT_GT(lime, 1000) << "the surface is drawn";

    const auto svg = folder / "chart.svg";
    ASSERT_EQ(Batch({"--size", "400x300", "--chart", svg.string()}).status, 0);
    const std::string vector = ReadWholeFile(svg);
    EXPECT_NE(vector.find("<svg"), std::string::npos);
    EXPECT_NE(vector.find("slits=2"), std::string::npos) << "the legend lists the settings";

    const auto jpg = folder / "small.jpg";
    ASSERT_EQ(Batch({"--size", "200x100", "--chart", jpg.string()}).status, 0);
    EXPECT_EQ(QImage(QString::fromStdString(jpg.string())).size(), QSize(200, 100));

    for (const char* size : {"0x10", "10", "99999x10", "axb"}) {
        EXPECT_EQ(Batch({"--size", size, "--chart", png.string()}).status, 2) << size;
    }
    EXPECT_EQ(Batch({"--chart", (folder / "chart.gif").string()}).status, 2);
}

// The value of every attribute name="..." in the text, in order.
std::vector<std::string> AttributeValues(const std::string& text, const std::string& name)
{
    std::vector<std::string> values;
    const std::string opening = " " + name + "=\"";
    for (std::size_t at = text.find(opening); at != std::string::npos; at = text.find(opening, at + 1)) {
        const std::size_t start = at + opening.size();
        values.push_back(text.substr(start, text.find('"', start) - start));
    }
    return values;
}

// Every coordinate an SVG drawing places: the points of its polylines and
// paths ("x,y" pairs, path letters aside) and the anchors of its texts.
std::vector<std::pair<double, double>> SvgCoordinates(const std::string& svg)
{
    std::vector<std::pair<double, double>> points;
    for (const char* name : {"points", "d"}) {
        for (std::string list : AttributeValues(svg, name)) {
            std::replace_if(list.begin(), list.end(), [](char c) { return std::isalpha(static_cast<unsigned char>(c)); }, ' ');
            std::istringstream pairs(list);
            for (std::string pair; pairs >> pair;) {
                const std::size_t comma = pair.find(',');
                points.emplace_back(std::stod(pair.substr(0, comma)), std::stod(pair.substr(comma + 1)));
            }
        }
    }
    for (std::size_t at = svg.find("<text"); at != std::string::npos; at = svg.find("<text", at + 1)) {
        const std::string tag = svg.substr(at, svg.find('>', at) - at);
        points.emplace_back(std::stod(AttributeValues(tag, "x").at(0)), std::stod(AttributeValues(tag, "y").at(0)));
    }
    return points;
}

// The batch lays the chart out as the window does: labels in nanometres,
// the zoom fitted, so that nothing falls outside at any size or P-scale.
TEST(Batch, ChartDrawingsKeepEveryPointInsideWithNanometreLabels)
{
    const ScratchFolder folder;
    const auto svg = folder / "chart.svg";
    const struct {
        const char* size;
        const char* pScale;
        int width;
        int height;
    } cases[] = {{"832x740", "1:1", 832, 740},   {"1208x836", "1:1", 1208, 836}, {"1208x836", "3:1", 1208, 836},
                 {"800x600", "2:1", 800, 600},   {"660x420", "1:2", 660, 420}};
    for (const auto& [size, pScale, width, height] : cases) {
        const BatchResult result =
            Batch({"--size", size, "--set", std::string("P-scale=") + pScale, "--show-trajectories", "--chart", svg.string()});
        ASSERT_EQ(result.status, 0) << result.err;
        const std::string drawing = ReadWholeFile(svg);
        EXPECT_NE(drawing.find("x [nm]   (d = 10 nm)"), std::string::npos) << size;
        EXPECT_NE(drawing.find("z [nm]   (zt = 20 nm)"), std::string::npos) << size;
        const std::vector<std::pair<double, double>> points = SvgCoordinates(drawing);
        ASSERT_GT(points.size(), 1000u) << size;
        const auto outside = std::count_if(points.begin(), points.end(), [&](const auto& p) {
            return p.first < 0 || p.first > width || p.second < 0 || p.second > height;
        });
        EXPECT_EQ(outside, 0) << size << " at P-scale " << pScale;
    }
    ASSERT_EQ(Batch({"--axis-labels", "blocks", "--chart", svg.string()}).status, 0);
    EXPECT_EQ(ReadWholeFile(svg).find("[nm]"), std::string::npos);
    EXPECT_EQ(Batch({"--axis-labels", "inches", "--chart", svg.string()}).status, 2);
}

// Each view's figure holds its axis titles and its colour scale as text;
// the PDF is a document a reader opens.
TEST(Batch, FiguresOfEveryViewWithTheirScales)
{
    const ScratchFolder folder;
    const struct {
        const char* view;
        std::vector<const char*> texts;
    } cases[] = {
        {"chart", {"norm(PSI)", "x [nm]", "z [nm]", "2 slits"}},
        {"carpet", {"norm(PSI)", "x [nm]   (d = 10 nm)", "z [nm]   (zt = 20 nm)"}},
        {"spectrum", {"log10(|F| / |F|max)", "fx [1/nm]", "fz [1/nm]"}},
        {"quantum-potential", {"Q [eV]", "x [nm]", "z [nm]"}},
    };
    const auto svg = folder / "figure.svg";
    for (const auto& [view, texts] : cases) {
        const BatchResult result = Batch({"--figure", svg.string(), "--figure-of", view, "--colour-map", "viridis"});
        ASSERT_EQ(result.status, 0) << view << ": " << result.err;
        const std::string drawing = ReadWholeFile(svg);
        for (const char* text : texts) {
            EXPECT_NE(drawing.find(text), std::string::npos) << view << ": " << text;
        }
    }
    const auto pdf = folder / "figure.pdf";
    ASSERT_EQ(Batch({"--figure", pdf.string(), "--set", "P-scale=3:1"}).status, 0);
    if (std::system("command -v pdfinfo > /dev/null") == 0) {
        EXPECT_EQ(std::system(("pdfinfo " + pdf.string() + " > /dev/null 2>&1").c_str()), 0);
    } else {
        std::printf("pdfinfo is not installed: the PDF is not checked\n");
    }
    EXPECT_EQ(ReadWholeFile(pdf).substr(0, 5), "%PDF-");

    const auto png = folder / "figure.png";
    ASSERT_EQ(Batch({"--figure", png.string(), "--size", "600x400", "--no-title"}).status, 0);
    EXPECT_EQ(QImage(QString::fromStdString(png.string())).size(), QSize(600, 400));

    for (const std::vector<std::string>& refused :
         std::vector<std::vector<std::string>>{{"--figure", "f.jpg"},
                                               {"--figure", "f.pdf", "--figure-of", "surface"},
                                               {"--figure", "f.pdf", "--colour-map", "jet"},
                                               {"--figure", "f.pdf", "--dpi", "5"},
                                               {"--figure", "f.pdf", "--figure-of", "quantum-potential", "--set",
                                                "lambda spread=0.01"}}) {
        EXPECT_EQ(Batch(refused).status, 2) << refused[1] << " " << refused.back();
    }
}

// A forgotten exponent or a start row below every slit would give an empty
// picture without a word.
TEST(Batch, AGridThatMissesTheSlitsOrTheStartsIsWarnedOf)
{
    const ScratchFolder folder;
    const auto carpet = (folder / "c.png").string();
    const struct {
        std::vector<std::string> settings;
        const char* warning;
    } cases[] = {{{"--set", "d=101"}, "warning: every slit lies outside the grid"},
                 {{"--set", "nx=2000", "--set", "nxb=1"}, "warning: no trajectory starts inside a slit"}};
    for (const auto& [settings, warning] : cases) {
        std::vector<std::string> arguments = settings;
        arguments.insert(arguments.end(), {"--carpet", carpet});
        const BatchResult result = Batch(arguments);
        ASSERT_EQ(result.status, 0) << result.err;
        EXPECT_NE(result.err.find(warning), std::string::npos) << result.err;
    }
    EXPECT_EQ(Batch({"--carpet", carpet}).err.find("warning: every slit"), std::string::npos);
}

// A sweep's figures carry the swept value in their titles.
TEST(BatchSweep, AnAnimationOfFigures)
{
    const ScratchFolder folder;
    const BatchResult sweep = Batch({"--sweep", "z0=0:1:2", "--animation", (folder / "a.gif").string(), "--animation-of",
                                     "figure", "--figure", (folder / "f-{index}.svg").string(), "--size", "480x360"});
    ASSERT_EQ(sweep.status, 0) << sweep.err;
    QImageReader gif(QString::fromStdString((folder / "a.gif").string()));
    EXPECT_EQ(gif.imageCount(), 2);
    EXPECT_EQ(gif.read().size(), QSize(480, 360));
    EXPECT_NE(ReadWholeFile(folder / "f-1.svg").find("z0 = 1"), std::string::npos);
}

TEST(Batch, DataFileTrajectoriesAndTheFallback)
{
    const ScratchFolder folder;
    const auto dat = folder / "nivaro.dat";
    std::ofstream(dat) << "-1.5 Y\n";
    const auto carpet = folder / "carpet.bmp";
    ASSERT_EQ(Batch({"--dat", dat.string(), "--carpet", carpet.string()}).status, 0);
    const std::string bytes = ReadWholeFile(carpet);
    EXPECT_EQ(BmpPixel(bytes, 300, 300, 75, 0), (std::array<int, 3>{255, 255, 0}));
    EXPECT_EQ(BmpPixel(bytes, 300, 300, 111, 0)[1], BmpPixel(bytes, 300, 300, 111, 0)[0]) << "no regular starts";

    ASSERT_EQ(Batch({"--dat", (folder / "none.dat").string(), "--carpet", carpet.string()}).status, 0);
    EXPECT_EQ(BmpPixel(ReadWholeFile(carpet), 300, 300, 111, 0)[1], 0) << "a missing file falls back";
}

TEST(Batch, ConfigurationIsReadAndWrittenBackLikeTheWindow)
{
    const ScratchFolder folder;
    const auto ini = folder / "nivaro.ini";
    std::ofstream(ini) << "[PARAMETERS]\nmass=1.674927e-27\n[AXIS]\nz0=1\nX-scale=3:2\n[2D]\nnx=40\nnz=30\ndzb=5\n";
    const auto table = folder / "density.txt";
    const BatchResult result = Batch({"--config", ini.string(), "--set", "lambda=2e-8", "--density", table.string(),
                                      "--write-config", ini.string()});
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_NE(result.err.find("Please, delete parameter 'dzb' from INI-file!"), std::string::npos);
    EXPECT_EQ(Lines(ReadWholeFile(table)).size(), 41u);
    EXPECT_EQ(ReadWholeFile(ini),
              "[PARAMETERS]\nmass=1.674927E-27\nslits=2\nlambda=2e-8\nd=1E-8\nslite width=1E-8\nsigma0=2E-9\n"
              "[AXIS]\nz0=1\nX-scale=3:1\nZ-scale=1:1\nP-scale=1:1\n"
              "[2D]\nnx=40\nnz=30\ndzb=5\nnxb=20\ndxb=0.5\nstep=1\n");
    EXPECT_EQ(result.err.find("nxb="), std::string::npos) << "the file holds no nxb to blame: " << result.err;

    const auto fresh = folder / "fresh.ini";
    ASSERT_EQ(Batch({"--config", (folder / "missing.ini").string(), "--write-config", fresh.string()}).status, 0);
    EXPECT_EQ(Lines(ReadWholeFile(fresh)).size(), 3u + 14u);

    const BatchResult unwritable = Batch({"--write-config", (folder / "missing" / "x.ini").string()});
    EXPECT_EQ(unwritable.status, 1);
}

}  // namespace
}  // namespace nivaro

namespace nivaro {
namespace {

// A small file system mounted over a scratch folder for the test (which
// needs root), filled to its last byte on request.
class SmallFileSystem {
public:
    SmallFileSystem()
        : mounted_(::geteuid() == 0 && ::mount("tmpfs", folder_.Path().c_str(), "tmpfs", 0, "size=1m") == 0)
    {
    }
    SmallFileSystem(const SmallFileSystem&) = delete;
    SmallFileSystem& operator=(const SmallFileSystem&) = delete;
    ~SmallFileSystem()
    {
        if (mounted_) {
            ::umount2(folder_.Path().c_str(), MNT_DETACH);
        }
    }

    bool Mounted() const { return mounted_; }
    std::string operator/(const std::string& name) const { return (folder_ / name).string(); }

    // Fills it to its last byte, then frees `pages` pages again.
    void Fill(int pages) const
    {
        const std::filesystem::path path = folder_ / "fill";
        {
            std::ofstream fill(path, std::ios::binary);
            const std::string block(4096, '\0');
            while (fill.write(block.data(), static_cast<std::streamsize>(block.size())) && fill.flush()) {
            }
        }
        const std::uintmax_t size = std::filesystem::file_size(path);
        std::filesystem::resize_file(path, size - std::min<std::uintmax_t>(size, 4096u * static_cast<unsigned>(pages)));
    }
    // Removes everything on it.
    void Empty() const
    {
        for (const auto& entry : std::filesystem::directory_iterator(folder_.Path())) {
            std::filesystem::remove_all(entry.path());
        }
    }
    std::vector<std::string> Names() const
    {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(folder_.Path())) {
            names.push_back(entry.path().filename().string());
        }
        return names;
    }

private:
    ScratchFolder folder_;
    bool mounted_;
};

// Every writer on a full disk: exit 1 with "cannot write FILE: REASON", the
// file it replaces kept as it was, no temporary left, no crash. With a few
// pages free a writer may also end well, with its file whole.
TEST(Batch, EveryWriterOnAFullDiskKeepsTheOldFile)
{
    const SmallFileSystem disk;
    if (!disk.Mounted()) {
        GTEST_SKIP() << "mounting a small file system needs root";
    }
    const bool video = ProgramInstalled("ffmpeg");
    struct Case {
        const char* target;
        std::vector<std::string> options;
    };
    const std::vector<Case> cases = {
        {"d.txt", {"--density"}},
        {"d.npy", {"--density"}},
        {"d.h5", {"--density"}},
        {"p.h5", {"--psi"}},
        {"q.h5", {"--quantum-potential"}},
        {"o.h5", {"--output"}},
        {"c.bmp", {"--carpet"}},
        {"c.png", {"--carpet"}},
        {"c.jpg", {"--carpet"}},
        {"t.csv", {"--trajectories"}},
        {"t.npy", {"--trajectories"}},
        {"t.h5", {"--trajectories"}},
        {"h.csv", {"--histogram"}},
        {"a.ini", {"--write-config"}},
        {"a.gif", {"--sweep", "z0=0:1:2", "--force", "--animation"}},
        {"s.csv", {"--sweep", "z0=0:1:2", "--force", "--sweep-summary"}},
        {"a.mp4", {"--sweep", "z0=0:1:2", "--force", "--animation"}},
    };
    for (const Case& c : cases) {
        if (!video && std::string(c.target) == "a.mp4") {
            std::printf("ffmpeg is not installed: the video is not checked\n");
            continue;
        }
        for (const int freePages : {0, 1, 3, 8}) {
            disk.Empty();
            const std::string target = disk / c.target;
            std::ofstream(target) << "old";
            disk.Fill(freePages);
            std::vector<std::string> arguments = c.options;
            arguments.push_back(target);
            const BatchResult result = Batch(arguments);
            const std::string where = std::string(c.target) + " with " + std::to_string(freePages) + " pages free: ";
            EXPECT_EQ(disk.Names().size(), 2u) << where << "only the file and the filling are left";
            if (result.status == 0 && freePages > 0) {
                EXPECT_NE(ReadWholeFile(target), "old") << where;
                continue;
            }
            EXPECT_EQ(result.status, 1) << where << result.err;
            EXPECT_NE(result.err.find("cannot write " + target + ": No space left on device"), std::string::npos)
                << where << result.err;
            EXPECT_EQ(ReadWholeFile(target), "old") << where;
        }
    }
}

}  // namespace
}  // namespace nivaro
