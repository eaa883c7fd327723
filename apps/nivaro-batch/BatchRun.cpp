#include "BatchRun.h"

#include <memory>
#include <new>
#include <optional>

#include "BatchOptions.h"
#include "TerminalProgress.h"
#include "TrajectoryCsv.h"
#include "carpet/TableWriter.h"
#include "engine/DensityGrid.h"
#include "engine/SettingKeys.h"
#include "engine/SettingsValidation.h"
#include "engine/SpectrumTransform.h"
#include "platform/AtomicFile.h"
#include "platform/FileError.h"
#include "platform/SystemMemory.h"

namespace nivaro {
namespace {

// The settings the window starts with when there is no configuration file,
// overridden by the --set options in order.
void ApplySettings(SimulationState& state, const BatchOptions& options)
{
    state.grid.step = GridSettings::kConfiguredStep;
    for (const auto& [key, value] : options.settings) {
        if (const std::optional<std::string> problem = ApplySetting(state, key, value)) {
            throw UsageError(*problem);
        }
    }
    state.grid.DeriveDecimation();
    state.gridMemoryLimit = PhysicalMemoryBytes();
    const std::vector<SettingProblem> problems = FindUnusableSettings(state);
    if (!problems.empty()) {
        throw UnusableSettingsError(problems);
    }
}

std::unique_ptr<AtomicFile> OpenOutput(const std::optional<std::string>& path)
{
    return path ? std::make_unique<AtomicFile>(*path) : nullptr;
}

void WriteTableTo(AtomicFile& file, const RealMatrixT& table, const std::string& format)
{
    WriteTable(file.Stream(), table, nullptr, format.c_str());
    file.Commit();
}

void Run(const BatchOptions& options, std::ostream& err, bool showProgress)
{
    SimulationState state;
    ApplySettings(state, options);

    // Every output is opened before the computation, so that a folder that
    // cannot be written is reported at once, not after minutes of work.
    const std::unique_ptr<AtomicFile> density = OpenOutput(options.densityFile);
    const std::unique_ptr<AtomicFile> trajectories = OpenOutput(options.trajectoriesFile);
    const std::unique_ptr<AtomicFile> spectrum = OpenOutput(options.spectrumFile);

    if (density || spectrum) {
        TerminalProgress terminal(err);
        SilentProgress silent;
        ComputeDensityGrid(state, showProgress ? static_cast<ProgressSink&>(terminal) : silent);
        terminal.Finish();
    } else {
        state.parameters.UpdateDerived();
    }
    if (density) {
        WriteTableTo(*density, state.densityField, options.valueFormat);
    }
    if (trajectories) {
        WriteTrajectoryCsv(trajectories->Stream(), state);
        trajectories->Commit();
    }
    if (spectrum) {
        // Always transform: the window's guard against a second F11 would
        // otherwise leave the density in place when nx is 256.
        TransformPsiToSpectrum(state);
        WriteTableTo(*spectrum, state.densityField, options.valueFormat);
    }
}

}  // namespace

int RunBatch(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err, bool showProgress)
{
    try {
        const BatchOptions options = ParseBatchOptions(arguments);
        if (options.help) {
            out << BatchUsage();
            return kExitSuccess;
        }
        if (options.version) {
            out << "nivaro-batch 1.26\n";
            return kExitSuccess;
        }
        Run(options, err, showProgress && !options.quiet);
        return kExitSuccess;
    } catch (const UsageError& error) {
        err << "nivaro-batch: " << error.what() << "\nTry 'nivaro-batch --help'.\n";
    } catch (const UnusableSettingsError& error) {
        err << "nivaro-batch: cannot compute with these settings:\n" << error.what() << '\n';
    } catch (const std::bad_alloc&) {
        err << "nivaro-batch: not enough memory for the grids; choose a smaller nx or nz\n";
    } catch (const FileError& error) {
        err << "nivaro-batch: cannot write " << error.what() << '\n';
        return kExitFileError;
    }
    return kExitUsageError;
}

}  // namespace nivaro
