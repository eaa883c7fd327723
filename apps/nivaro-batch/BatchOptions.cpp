#include "BatchOptions.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <array>
#include <climits>
#include <filesystem>
#include <utility>

#include "output/ArrayOutput.h"
#include "output/TrajectoryFile.h"
#include "carpet/TableWriter.h"
#include "configuration/SettingKeys.h"
#include "engine/TrajectoryEnsemble.h"
#include "figure/Figure.h"
#include "platform/NumberText.h"

namespace nivaro {
namespace {

// Options and their values, "--option=value" as well as "--option value".
class ArgumentCursor {
public:
    explicit ArgumentCursor(const std::vector<std::string>& arguments) : arguments_(arguments) {}

    bool Done() const { return next_ >= arguments_.size(); }
    const std::string& TakeOption()
    {
        const std::string& argument = arguments_[next_++];
        const std::size_t equals = argument.find('=');
        if (!argument.starts_with("--") || equals == std::string::npos) {
            attached_.reset();
            return argument;
        }
        option_ = argument.substr(0, equals);
        attached_ = argument.substr(equals + 1);
        return option_;
    }
    const std::string& TakeValueOf(const std::string& option)
    {
        if (attached_) {
            value_ = std::move(*attached_);
            attached_.reset();
            return value_;
        }
        if (Done()) {
            throw UsageError(option + " needs a value");
        }
        return arguments_[next_++];
    }
    // For options without a value: "--quiet=yes" is refused.
    void RequireNoValue(const std::string& option) const
    {
        if (attached_) {
            throw UsageError(option + " takes no value, got '" + *attached_ + "'");
        }
    }

private:
    const std::vector<std::string>& arguments_;
    std::size_t next_ = 0;
    std::string option_;
    std::optional<std::string> attached_;
    std::string value_;
};

// "AsB" with whole numbers A and B and the separator s; nothing otherwise.
std::optional<std::pair<int, int>> WholeNumberPair(const std::string& text, char separator)
{
    const std::size_t at = text.find(separator);
    if (at == std::string::npos) {
        return std::nullopt;
    }
    const std::optional<int> first = ParseWholeInteger(text.substr(0, at));
    const std::optional<int> second = ParseWholeInteger(text.substr(at + 1));
    if (!first || !second) {
        return std::nullopt;
    }
    return std::pair{*first, *second};
}

void ParseSize(const std::string& text, BatchOptions& options)
{
    const std::optional<std::pair<int, int>> size = WholeNumberPair(text, 'x');
    const auto usable = [](int side) { return side >= 1 && side <= kLargestChartSide; };
    if (!size || !usable(size->first) || !usable(size->second)) {
        throw UsageError("--size needs WIDTHxHEIGHT in pixels, each from 1 to " + std::to_string(kLargestChartSide) +
                         ", got '" + text + "'");
    }
    options.chartWidth = size->first;
    options.chartHeight = size->second;
    options.sizeGiven = true;
}

// One of the choices' names, or a usage error that lists them.
template <typename Choice, std::size_t count>
Choice TakeChoice(ArgumentCursor& cursor, const std::string& option,
                  const std::array<std::pair<const char*, Choice>, count>& choices)
{
    const std::string& value = cursor.TakeValueOf(option);
    std::string names;
    for (const auto& [name, choice] : choices) {
        if (value == name) {
            return choice;
        }
        names += std::string(names.empty() ? "" : ", ") + name;
    }
    throw UsageError(option + " takes " + names + ", got '" + value + "'");
}

int TakeWholeNumber(ArgumentCursor& cursor, const std::string& option, int lowest, int highest)
{
    const std::string& value = cursor.TakeValueOf(option);
    const std::optional<int> number = ParseWholeInteger(value);
    if (!number || *number < lowest || *number > highest) {
        throw UsageError(option + " needs a whole number from " + std::to_string(lowest) + " to " +
                         std::to_string(highest) + ", got '" + value + "'");
    }
    return *number;
}

std::uint64_t TakeSeed(ArgumentCursor& cursor, const std::string& option)
{
    const std::string& value = cursor.TakeValueOf(option);
    std::uint64_t seed = 0;
    const auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), seed);
    if (value.empty() || error != std::errc{} || end != value.data() + value.size()) {
        throw UsageError(option + " needs a whole number from 0 to 18446744073709551615, got '" + value + "'");
    }
    return seed;
}

// "I/K" with 1 <= I <= K.
void ParseShard(const std::string& text, BatchOptions& options)
{
    const std::optional<std::pair<int, int>> shard = WholeNumberPair(text, '/');
    if (!shard || shard->first < 1 || shard->first > shard->second) {
        throw UsageError("--shard needs I/K with 1 <= I <= K, got '" + text + "'");
    }
    options.shardIndex = shard->first - 1;
    options.shardCount = shard->second;
}

// The program's command line, each argument quoted where a shell would
// read it otherwise.
std::string CommandLineOf(const std::vector<std::string>& arguments)
{
    std::string line = "nivaro-batch";
    for (const std::string& argument : arguments) {
        const bool plain = !argument.empty() && std::all_of(argument.begin(), argument.end(), [](unsigned char c) {
            return std::isalnum(c) || std::string_view("_./:=,+-@%").find(static_cast<char>(c)) != std::string_view::npos;
        });
        std::string quoted;
        for (const char c : argument) {
            quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
        }
        line += plain ? " " + argument : " '" + quoted + "'";
    }
    return line;
}

}  // namespace

PictureFormat PictureFormatOf(const std::string& path, bool allowSvg)
{
    std::string extension = std::filesystem::path(path).extension().string();
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (extension == ".bmp") {
        return PictureFormat::Bmp;
    }
    if (extension == ".png") {
        return PictureFormat::Png;
    }
    if (extension == ".jpg" || extension == ".jpeg") {
        return PictureFormat::Jpeg;
    }
    if (extension == ".svg" && allowSvg) {
        return PictureFormat::Svg;
    }
    throw UsageError("the picture '" + path + "' needs a name ending in .bmp, .png, .jpg" +
                     (allowSvg ? " or .svg" : ""));
}

BatchOptions ParseBatchOptions(const std::vector<std::string>& arguments)
{
    BatchOptions options;
    options.commandLine = CommandLineOf(arguments);
    ArgumentCursor cursor(arguments);
    while (!cursor.Done()) {
        const std::string& option = cursor.TakeOption();
        if (option == "--set") {
            const std::string& assignment = cursor.TakeValueOf(option);
            const std::size_t equals = assignment.find('=');
            if (equals == std::string::npos) {
                throw UsageError("--set needs KEY=VALUE, got '" + assignment + "'");
            }
            options.settings.emplace_back(assignment.substr(0, equals), assignment.substr(equals + 1));
        } else if (option == "--density") {
            options.densityFile = cursor.TakeValueOf(option);
        } else if (option == "--spectrum") {
            options.spectrumFile = cursor.TakeValueOf(option);
        } else if (option == "--psi") {
            options.psiFile = cursor.TakeValueOf(option);
            if (ArrayFormatOf(*options.psiFile) == ArrayFormat::Text) {
                throw UsageError("--psi writes the complex field as .npy or .h5, got '" + *options.psiFile + "'");
            }
        } else if (option == "--output") {
            options.outputFile = cursor.TakeValueOf(option);
            if (ArrayFormatOf(*options.outputFile) != ArrayFormat::Hdf5) {
                throw UsageError("--output writes an HDF5 file ending in .h5, got '" + *options.outputFile + "'");
            }
        } else if (option == "--trajectories") {
            options.trajectoriesFile = cursor.TakeValueOf(option);
            if (!TrajectoryFormatOf(*options.trajectoriesFile)) {
                throw UsageError("--trajectories writes CSV (.csv), a NumPy array (.npy) or an HDF5 file (.h5), got '" +
                                 *options.trajectoriesFile + "'");
            }
        } else if (option == "--format") {
            options.valueFormat = cursor.TakeValueOf(option);
            if (!IsSingleRealFormat(options.valueFormat)) {
                throw UsageError("--format needs one printf conversion of a real number such as '% .4f', got '" +
                                 options.valueFormat + "'");
            }
        } else if (option == "--config") {
            options.configFile = cursor.TakeValueOf(option);
        } else if (option == "--write-config") {
            options.writeConfigFile = cursor.TakeValueOf(option);
        } else if (option == "--carpet") {
            options.carpetFile = cursor.TakeValueOf(option);
            PictureFormatOf(*options.carpetFile);
        } else if (option == "--chart") {
            options.chartFile = cursor.TakeValueOf(option);
            PictureFormatOf(*options.chartFile, true);
        } else if (option == "--figure") {
            options.figureFile = cursor.TakeValueOf(option);
            if (!IsFigureFileName(*options.figureFile)) {
                throw UsageError("--figure writes a .pdf, .svg or .png file, got '" + *options.figureFile + "'");
            }
        } else if (option == "--figure-of") {
            options.figureView = TakeChoice(cursor, option,
                                            std::array<std::pair<const char*, FigureView>, 4>{
                                                {{"chart", FigureView::Chart},
                                                 {"carpet", FigureView::Carpet},
                                                 {"spectrum", FigureView::Spectrum},
                                                 {"quantum-potential", FigureView::QuantumPotential}}});
        } else if (option == "--dpi") {
            options.figureDpi = TakeWholeNumber(cursor, option, 30, 2400);
        } else if (option == "--no-title") {
            options.figureTitle = false;
        } else if (option == "--colour-map" || option == "--color-map") {
            const std::string& value = cursor.TakeValueOf(option);
            const std::optional<ColourMapKind> kind = ColourMapNamed(value);
            if (!kind) {
                throw UsageError(option + " takes green-red, viridis, cividis or grey, got '" + value + "'");
            }
            options.colourMap = *kind;
        } else if (option == "--axis-labels") {
            options.blockLabels = TakeChoice(cursor, option,
                                             std::array<std::pair<const char*, bool>, 2>{{{"nm", false}, {"blocks", true}}});
        } else if (option == "--size") {
            ParseSize(cursor.TakeValueOf(option), options);
        } else if (option == "--show-trajectories") {
            options.chartTrajectories = true;
        } else if (option == "--dat") {
            options.dataFile = cursor.TakeValueOf(option);
        } else if (option == "--contrast") {
            options.contrast = TakeWholeNumber(cursor, option, 0, 5);
        } else if (option == "--no-trajectories") {
            options.carpetTrajectories = false;
        } else if (option == "--quiet") {
            options.quiet = true;
        } else if (option == "--timings") {
            options.timings = true;
        } else if (option == "--no-limit") {
            options.noLimit = true;
        } else if (option == "--threads") {
            options.threads = TakeWholeNumber(cursor, option, 1, kMostThreads);
        } else if (option == "--ensemble") {
            options.ensembleCount = TakeWholeNumber(cursor, option, 1, kLargestEnsemble);
        } else if (option == "--seed") {
            options.seed = TakeSeed(cursor, option);
        } else if (option == "--ensemble-integrator") {
            const std::string& name = cursor.TakeValueOf(option);
            const std::optional<Integrator> integrator = ParseChoice(name, kIntegrators);
            if (!integrator) {
                throw UsageError(option + " needs euler or adaptive, got '" + name + "'");
            }
            options.ensembleIntegrator = *integrator;
        } else if (option == "--histogram-at") {
            options.histogramColumn = TakeWholeNumber(cursor, option, 0, INT_MAX);
        } else if (option == "--bins") {
            options.bins = TakeWholeNumber(cursor, option, 1, kMostHistogramBins);
        } else if (option == "--histogram") {
            options.histogramFile = cursor.TakeValueOf(option);
        } else if (option == "--visibility") {
            options.visibilityFile = cursor.TakeValueOf(option);
        } else if (option == "--quantum-potential") {
            options.quantumPotentialFile = cursor.TakeValueOf(option);
        } else if (option == "--sweep") {
            try {
                options.sweeps.push_back(ParseSweepAxis(cursor.TakeValueOf(option)));
            } catch (const SweepError& error) {
                throw UsageError(error.what());
            }
        } else if (option == "--sweep-summary") {
            options.sweepSummaryFile = cursor.TakeValueOf(option);
        } else if (option == "--animation") {
            options.animationFile = cursor.TakeValueOf(option);
        } else if (option == "--animation-of") {
            using Frames = BatchOptions::AnimationFrames;
            options.animationOf = TakeChoice(cursor, option,
                                             std::array<std::pair<const char*, Frames>, 3>{
                                                 {{"carpet", Frames::Carpet}, {"chart", Frames::Chart}, {"figure", Frames::Figure}}});
        } else if (option == "--fps") {
            options.framesPerSecond = TakeWholeNumber(cursor, option, 1, 100);
        } else if (option == "--force") {
            options.force = true;
        } else if (option == "--shard") {
            ParseShard(cursor.TakeValueOf(option), options);
        } else if (option == "--help" || option == "-h") {
            options.help = true;
        } else if (option == "--version") {
            options.version = true;
        } else {
            throw UsageError("unknown option '" + option + "'");
        }
        cursor.RequireNoValue(option);
    }
    const bool sweeping = !options.sweeps.empty();
    if (!sweeping && (options.sweepSummaryFile || options.animationFile || options.shardCount > 1)) {
        throw UsageError("--sweep-summary, --animation and --shard need --sweep KEY=FROM:TO:COUNT");
    }
    if (options.animationFile && options.shardCount > 1) {
        throw UsageError("--animation needs every run of the sweep: run it without --shard, or under mpirun");
    }
    if (options.histogramColumn && !options.histogramFile) {
        throw UsageError("--histogram-at needs --histogram FILE to write the histogram to");
    }
    if (!options.help && !options.version && !options.densityFile && !options.spectrumFile && !options.psiFile &&
        !options.outputFile && !options.trajectoriesFile && !options.carpetFile && !options.writeConfigFile &&
        !options.chartFile && !options.histogramFile && !options.quantumPotentialFile && !options.visibilityFile &&
        !options.sweepSummaryFile && !options.animationFile && !options.figureFile) {
        throw UsageError("nothing to write: give --density, --psi, --output, --carpet, --chart, --figure, --spectrum, "
                         "--trajectories, --histogram, --quantum-potential, --visibility or --write-config");
    }
    if (options.sweeps.empty()) {
        if (const std::optional<std::string> twice = FileNamedTwice(GivenFiles(options, kRunOutputs))) {
            throw UsageError("two outputs would write '" + *twice + "'; give each its own file");
        }
    }

    return options;
}

std::vector<std::string> GivenFiles(const BatchOptions& options, std::span<const OutputName> outputs)
{
    std::vector<std::string> files;
    for (const OutputName name : outputs) {
        if (options.*name) {
            files.push_back(*(options.*name));
        }
    }
    return files;
}

std::string BatchUsage()
{
    std::string keys;
    for (const std::string_view key : SettingKeyNames()) {
        keys += keys.empty() ? "" : ", ";
        keys += key;
    }
    return "Usage: nivaro-batch [--config FILE] [--set KEY=VALUE]... [OPTION]... OUTPUT...\n"
           "\n"
           "Computes the near-field diffraction of a particle by N slits without a window.\n"
           "Each option's value may also follow it after '=', as in --density=FILE.\n"
           "\n"
           "  --config FILE        read the settings from a configuration file (a missing file gives the defaults)\n"
           "  --set KEY=VALUE      override one setting (applied in order, after --config); keys:\n"
           "                       " + keys + "\n"
           "                       scales take a ratio such as 3:1 or 1:2\n"
           "  --density FILE       write norm(PSI) on the nx by nz grid: a tab-separated table, or by the name's\n"
           "                       extension a NumPy array (.npy) or an HDF5 file (.h5)\n"
           "  --psi FILE           write the complex field psi as .npy (complex128) or .h5\n"
           "  --output RUN.h5      write everything the run computes into one HDF5 file\n"
           "  --format FMT         printf format of one table value (default \"% .4f\")\n"
           "  --carpet FILE        draw the carpet picture with its trajectories (.bmp, .png or .jpg)\n"
           "  --contrast N         square roots taken of the density for the carpet, 0 to 5 (default 1)\n"
           "  --no-trajectories    draw the carpet without trajectories\n"
           "  --dat FILE           draw the trajectories listed in this data file (missing: the regular ones)\n"
           "  --chart FILE         draw the 3D chart of the density as the window shows it (.png, .jpg, .bmp, .svg)\n"
           "  --axis-labels nm|blocks  the chart's axes in nanometres with d and zt (default) or in grid blocks\n"
           "  --figure FILE        write a labelled figure as .pdf, .svg (text stays text) or .png: the view\n"
           "                       with its axes in nm, a colour scale with its quantity and unit, and the\n"
           "                       settings as its title\n"
           "  --figure-of chart|carpet|spectrum|quantum-potential  what the figure shows (default chart)\n"
           "  --dpi N              the figure's resolution in dots per inch, 30 to 2400 (default 150)\n"
           "  --no-title           a figure without the settings' title line\n"
           "  --colour-map NAME    green-red (default: the surface lime to red, Q blue-white-red, the spectrum\n"
           "                       grey), viridis, cividis or grey for the surface, Q and the spectrum\n"
           "  --size WxH           size of the chart picture or the figure in pixels (default 832x740 for a\n"
           "                       chart, 1200x900 for a figure)\n"
           "  --show-trajectories  draw the Bohmian trajectories over the chart's surface\n"
           "  --spectrum FILE      write the 256 by 256 magnitude of the 2D Fourier transform of psi (.txt, .npy, .h5)\n"
           "  --trajectories FILE  write the regular Bohmian trajectories of the carpet, one record per position,\n"
           "                       by the name's extension as CSV (.csv), a NumPy structured array (.npy) or an\n"
           "                       HDF5 compound dataset (.h5)\n"
           "  --ensemble K         sample K trajectory starts (1 to 1000000, default 2000) from |psi|^2 at the first\n"
           "                       column and trace them\n"
           "  --seed S             seed of the sampling (default 1): the same seed gives the same starts and paths\n"
           "  --ensemble-integrator NAME  adaptive (default: error-controlled, the configured tolerance) or euler\n"
           "                       (the carpet's fixed steps) for the ensemble's paths\n"
           "  --histogram FILE     write the ensemble's histogram against |psi|^2 as CSV (x_m,ensemble,density) and\n"
           "                       print the total variation distance on standard error\n"
           "  --histogram-at C     the column of the histogram (default the last, nz - 1)\n"
           "  --bins B             bins of the histogram over the occupied x range (default 50)\n"
           "  --quantum-potential FILE  write the quantum potential Q in eV on the grid (text table, .npy or .h5;\n"
           "                       nan where |psi| is below 1e-12 of its largest value)\n"
           "  --visibility FILE    write the fringe visibility (max - min) / (max + min) within d / 2 of the axis\n"
           "                       at each column as CSV (z_m,z_over_zt,visibility)\n"
           "  --sweep KEY=FROM:TO:COUNT  run once for each of COUNT values of a numeric setting; several form a\n"
           "                       grid of runs, the last varying fastest. Every output name is then a pattern:\n"
           "                       {index} (zero-padded) and {KEY} (the value) tell the runs' files apart\n"
           "  --sweep-summary FILE one CSV line per run: its index, the swept values, the density maximum, the\n"
           "                       wall time and whether it ran\n"
           "  --animation FILE     the carpets of the sweep (or with --animation-of the 3D charts or figures) as an\n"
           "                       animated GIF, or an .mp4 or .webm video through ffmpeg\n"
           "  --animation-of carpet|chart|figure  what the animation's frames show (default carpet); a figure\n"
           "                       is titled with the swept values\n"
           "  --fps N              frames per second of the animation, 1 to 100 (default 10)\n"
           "  --force              overwrite frames and tables that exist (a sweep refuses to otherwise)\n"
           "  --shard I/K          run only the runs r with r % K = I - 1 (for array jobs); under mpirun the\n"
           "                       runs are dealt out over the ranks the same way\n"
           "  --write-config FILE  write the settings back to a configuration file, keeping its other keys\n"
           "  --threads N          threads of the computations (default: NIVARO_THREADS, else every core)\n"
           "  --timings            print the time of each stage and of writing each file on standard error\n"
           "  --no-limit           run even when the estimate exceeds 10 minutes of work or 2 GB of output\n"
           "  --quiet              no progress bar\n"
           "  --help, --version    print this text or the version and stop\n"
           "\n"
           "Exit status: 0 success, 1 an output file could not be written, 2 a usage or value error,\n"
           "3 a run of a sweep could not be computed (the others were).\n";
}

}  // namespace nivaro
