#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "chart/ColourMap.h"
#include "configuration/SweepPlan.h"
#include "engine/OrderedBlocks.h"
#include "engine/TrajectoryEnsemble.h"

namespace nivaro {

// What a figure (--figure, --animation-of figure) shows.
enum class FigureView { Chart, Carpet, Spectrum, QuantumPotential };

struct BatchOptions {
    std::string commandLine;  // as a shell would take it again, for the run file
    std::vector<std::pair<std::string, std::string>> settings;  // --set KEY=VALUE, in order
    std::optional<std::string> densityFile;
    std::optional<std::string> spectrumFile;
    std::optional<std::string> psiFile;     // the complex field, .npy or .h5
    std::optional<std::string> outputFile;  // everything the run computed, .h5
    std::optional<std::string> trajectoriesFile;
    std::optional<std::string> configFile;
    std::optional<std::string> writeConfigFile;
    std::optional<std::string> carpetFile;
    std::optional<std::string> dataFile;
    int contrast = 1;
    bool carpetTrajectories = true;
    std::optional<std::string> chartFile;
    int chartWidth = 832;
    int chartHeight = 740;
    bool sizeGiven = false;  // figures are 1200 by 900 unless --size says otherwise
    bool chartTrajectories = false;
    bool blockLabels = false;  // the chart's axes in grid blocks instead of nanometres
    ColourMapKind colourMap = ColourMapKind::GreenRed;
    std::optional<std::string> figureFile;
    FigureView figureView = FigureView::Chart;
    int figureDpi = 150;
    bool figureTitle = true;
    std::string sweptValues;  // "KEY=VALUE, ..." of a sweep's run, for its figures' titles
    std::string valueFormat = "% .4f";
    bool quiet = false;
    bool timings = false;
    bool noLimit = false;  // run even when the estimate exceeds the work limits
    int threads = 0;  // 0: NIVARO_THREADS or the machine's hardware threads
    std::optional<int> ensembleCount;     // the ensemble's size (2000 when only --histogram is given)
    std::uint64_t seed = 1;
    Integrator ensembleIntegrator = EnsembleSettings{}.integrator;
    std::optional<int> histogramColumn;   // the last column when not given
    int bins = 50;
    std::optional<std::string> histogramFile;
    std::optional<std::string> quantumPotentialFile;
    std::optional<std::string> visibilityFile;
    std::vector<SweepAxis> sweeps;  // --sweep KEY=FROM:TO:COUNT, in order (the last varies fastest)
    std::optional<std::string> sweepSummaryFile;
    std::optional<std::string> animationFile;
    enum class AnimationFrames { Carpet, Chart, Figure } animationOf = AnimationFrames::Carpet;
    int framesPerSecond = 10;
    bool force = false;  // overwrite existing frames and tables of a sweep
    int shardIndex = 0;  // --shard I/K: this process runs the runs r with r % K == I - 1
    int shardCount = 1;
    bool help = false;
    bool version = false;
};

// The files each run writes (in a sweep, one of each per run).
using OutputName = std::optional<std::string> BatchOptions::*;
inline constexpr OutputName kRunOutputs[] = {
    &BatchOptions::densityFile,  &BatchOptions::spectrumFile,  &BatchOptions::psiFile,
    &BatchOptions::outputFile,   &BatchOptions::trajectoriesFile, &BatchOptions::carpetFile,
    &BatchOptions::chartFile,    &BatchOptions::histogramFile, &BatchOptions::quantumPotentialFile,
    &BatchOptions::visibilityFile, &BatchOptions::figureFile,
    &BatchOptions::writeConfigFile,
};
// The files a sweep writes once, for all its runs.
inline constexpr OutputName kSweepOutputs[] = {&BatchOptions::sweepSummaryFile, &BatchOptions::animationFile};

// The files of those outputs that were given, in that order.
std::vector<std::string> GivenFiles(const BatchOptions& options, std::span<const OutputName> outputs);

class UsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

enum class PictureFormat { Bmp, Png, Jpeg, Svg };

inline constexpr int kLargestChartSide = 16384;

// The picture format of a file name's extension (case-insensitive .bmp,
// .png, .jpg, .jpeg, and .svg where allowed); throws UsageError for any other.
PictureFormat PictureFormatOf(const std::string& path, bool allowSvg = false);

// Throws UsageError for an unknown option, a missing argument, a --set
// without "=", an unsafe --format, a contrast outside 0 to 5, a carpet file
// of unknown type, a run with nothing to write, or (without a sweep) two
// outputs that name one file.
BatchOptions ParseBatchOptions(const std::vector<std::string>& arguments);

std::string BatchUsage();

}  // namespace nivaro
