#include <gtest/gtest.h>

#include <cmath>
#include <set>
#include <sstream>
#include <vector>

#include "BatchRun.h"
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
    EXPECT_NE(result.err.find("] 99%"), std::string::npos) << "a progress bar when asked for";
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

TEST(Batch, RefusedValuesNameTheKeyAndWriteNothing)
{
    const std::vector<std::vector<std::string>> cases = {
        {"--set", "nx=0"},        {"--set", "slits=0"},     {"--set", "mass=-1"},   {"--set", "lambda=abc"},
        {"--set", "step=0"},      {"--set", "dxb=-0.5"},    {"--set", "sigma0=inf"}, {"--set", "X-scale=0:0"},
        {"--set", "Z-scale=abc"}, {"--set", "nx=1.5"},      {"--set", "colour=1"},   {"--set", "nx"},
        {"--format", "%d"},       {"--format", "%f %f"},    {"--bogus"},             {"--set"},
        {"--set", "nx=2000000000", "--set", "nz=2000000000"},
    };
    const ScratchFolder folder;
    const auto table = folder / "density.txt";
    for (std::vector<std::string> arguments : cases) {
        const std::string shown = arguments.size() > 1 ? arguments[1] : arguments[0];
        arguments.insert(arguments.begin(), {"--density", table.string()});
        const BatchResult result = Batch(arguments);
        EXPECT_EQ(result.status, 2) << shown;
        EXPECT_NE(result.err.find(shown.substr(0, shown.find('='))), std::string::npos) << result.err;
        EXPECT_FALSE(std::filesystem::exists(table)) << shown;
    }
    EXPECT_EQ(Batch({}).status, 2) << "nothing to write";
}

TEST(Batch, AnUnwritableOutputIsReportedWithTheReason)
{
    const ScratchFolder folder;
    const BatchResult result = Batch({"--density", (folder / "missing" / "d.txt").string()});
    EXPECT_EQ(result.status, 1);
    EXPECT_NE(result.err.find("No such file or directory"), std::string::npos) << result.err;
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

}  // namespace
}  // namespace nivaro
