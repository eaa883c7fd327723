// The compiled core of the Python package: bindings only. Settings arrive as
// the (key, text) overrides the batch program takes with --set, applied over
// the defaults; the computations are the engine's, run without the global
// interpreter lock. The package's Python layer gives them their public form.
#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "configuration/Configuration.h"
#include "configuration/SettingKeys.h"
#include "configuration/SweepPlan.h"
#include "engine/CarpetPass.h"
#include "engine/DensityGrid.h"
#include "engine/OrderedBlocks.h"
#include "engine/PartialCoherence.h"
#include "engine/QuantumPotential.h"
#include "engine/RegularTraces.h"
#include "engine/SettingsValidation.h"
#include "engine/SpectrumTransform.h"
#include "engine/TrajectoryEnsemble.h"
#include "platform/FileError.h"
#include "platform/ProgramVersion.h"
#include "platform/SystemMemory.h"

namespace py = pybind11;

namespace nivaro {
namespace {

// "slite width" is slite_width, "X-scale" x_scale; lambda, a Python
// keyword, is lambda_.
std::string SnakeName(std::string_view key)
{
    std::string name;
    for (const char c : key) {
        name.push_back(c == ' ' || c == '-' ? '_' : static_cast<char>(std::tolower(static_cast<unsigned char>(c))));
    }
    return name == "lambda" ? "lambda_" : name;
}

std::vector<std::pair<std::string, std::string>> SettingNames()
{
    std::vector<std::pair<std::string, std::string>> names;
    for (const std::string_view key : SettingKeyNames()) {
        names.emplace_back(std::string(key), SnakeName(key));
    }
    return names;
}

py::object SettingValue(const SimulationState& state, std::string_view key)
{
    const SimulationParameters& p = state.parameters;
    const GridSettings& g = state.grid;
    const WaveSettings& wave = p.wave;
    if (key == "slits") return py::int_(p.slits);
    if (key == "mass") return py::float_(p.mass);
    if (key == "lambda") return py::float_(p.lambda);
    if (key == "d") return py::float_(p.d);
    if (key == "slite width") return py::float_(p.slitWidth);
    if (key == "sigma0") return py::float_(p.sigma0);
    if (key == "X-scale") return py::str(state.scaleX.Text());
    if (key == "Z-scale") return py::str(state.scaleZ.Text());
    if (key == "P-scale") return py::str(state.scaleP.Text());
    if (key == "z0") return py::float_(p.z0);
    if (key == "nx") return py::int_(g.nx);
    if (key == "nz") return py::int_(g.nz);
    if (key == "nxb") return py::int_(g.nxb);
    if (key == "dxb") return py::float_(g.dxb);
    if (key == "step") return py::float_(g.step);
    if (key == "integrator") return py::str(std::string(ChoiceName(g.integrator, kIntegrators)));
    if (key == "tolerance") return py::float_(g.tolerance);
    if (key == "model") return py::str(std::string(ChoiceName(wave.model, kFieldModels)));
    if (key == "grating") return py::str(std::string(ChoiceName(wave.grating, kGratings)));
    if (key == "propagator") return py::str(std::string(ChoiceName(wave.propagator, kPropagators)));
    if (key == "edge width") return py::float_(wave.edgeWidth);
    if (key == "phase depth") return py::float_(wave.phaseDepth);
    if (key == "grating file") return py::str(wave.transmissionFile);
    if (key == "lambda spread") return py::float_(wave.lambdaSpread);
    if (key == "source width") return py::float_(wave.sourceWidth);
    if (key == "coherence samples") return py::int_(wave.coherenceSamples);
    throw py::attribute_error("setting '" + std::string(key) + "' cannot be read");
}

// Every setting's value in effect, by snake_case name.
py::dict SettingValues(const SimulationState& state)
{
    py::dict values;
    for (const std::string_view key : SettingKeyNames()) {
        values[py::str(SnakeName(key))] = SettingValue(state, key);
    }
    return values;
}

// A usable state of the defaults, or a configuration file's settings, then
// the overrides in order, as the batch program builds it; anything the
// batch would refuse raises ValueError with its message.
std::unique_ptr<SimulationState> UsableState(const IniFile& configuration, const SettingOverrides& overrides,
                                             int threads)
{
    auto state = std::make_unique<SimulationState>();
    state->gridMemoryLimit = AvailableMemoryBytes();
    state->threads = threads;
    if (const std::optional<std::string> refusal = LoadConfiguration(configuration, overrides, *state).refusal) {
        throw py::value_error(*refusal);
    }
    RequireUsableSettings(*state);
    state->parameters.UpdateDerived();
    return state;
}

std::unique_ptr<SimulationState> UsableState(const SettingOverrides& overrides, int threads = 0)
{
    return UsableState(IniFile{}, overrides, threads);
}

py::dict Resolve(const SettingOverrides& overrides)
{
    return SettingValues(*UsableState(overrides));
}

// A configuration file's settings in effect, and the messages about values
// it held that were replaced by their defaults, as the batch prints them.
std::pair<py::dict, std::vector<std::string>> ReadConfiguration(const std::string& path)
{
    IniFile file;
    try {
        file = IniFile::Load(path);
    } catch (const FileError& error) {
        throw py::value_error(error.what());
    }
    SimulationState state;
    state.gridMemoryLimit = AvailableMemoryBytes();
    std::vector<std::string> messages = LoadConfiguration(file, state).replacedValues;
    if (HasObsoleteDzb(file)) {
        messages.emplace_back(kDzbWarning);
    }
    RequireUsableSettings(state);
    return {SettingValues(state), std::move(messages)};
}

template <typename Element>
py::array_t<Element> VectorArray(const std::vector<Element>& values)
{
    return py::array_t<Element>(static_cast<py::ssize_t>(values.size()), values.data());
}

// The grid's coordinates as the run file writes them, and its spacings.
py::dict GridCoordinates(const SettingOverrides& overrides)
{
    const std::unique_ptr<SimulationState> state = UsableState(overrides);
    py::dict grid;
    grid["x_m"] = VectorArray(RowPositions(*state));
    grid["z_m"] = VectorArray(ColumnPositions(*state));
    grid["x_step_m"] = state->grid.dx / state->scaleX.Factor();
    grid["z_step_m"] = state->grid.dz / state->scaleZ.Factor();
    grid["spectrum_size"] = kSpectrumSize;
    return grid;
}

// The values one axis of a sweep takes, "slits=2:8:4" as --sweep reads it,
// each as the configuration would store it.
std::vector<std::string> SweepValues(const std::string& axisText)
{
    std::vector<std::string> values;
    try {
        for (const SweepRun& run : PlanSweep({ParseSweepAxis(axisText)})) {
            values.push_back(run.settings.front().second);
        }
    } catch (const SweepError& error) {
        throw py::value_error(error.what());
    }
    return values;
}

// Progress for a Python callable, called with the percent; the callable
// (or Ctrl+C) raising stops the computation within one block of work, and
// the exception is raised again when the engine has returned.
class PythonProgress final : public ProgressSink {
public:
    PythonProgress(py::object callback, SimulationState& state) : callback_(std::move(callback)), state_(state) {}

    // A finished computation ends at 100 %, whatever its last block told.
    void Finish()
    {
        if (!error_) {
            Advance({ProgressKind::DensityColumns, 100, 0});
        }
        if (error_) {
            error_->restore();
            throw py::error_already_set();
        }
    }

protected:
    void Show(const ProgressReport& report) override
    {
        const py::gil_scoped_acquire withInterpreter;
        try {
            if (PyErr_CheckSignals() != 0) {
                throw py::error_already_set();
            }
            if (!callback_.is_none()) {
                callback_(report.percent);
            }
        } catch (py::error_already_set& error) {
            error_ = std::make_unique<py::error_already_set>(std::move(error));
            state_.stopRequested = true;
        }
    }

private:
    py::object callback_;
    SimulationState& state_;
    std::unique_ptr<py::error_already_set> error_;
};

// One stage of a computation of several, told as its share of the whole so
// that the percent never goes back.
class StageProgress final : public ProgressSink {
public:
    StageProgress(ProgressSink& whole, int from, int to) : whole_(whole), from_(from), to_(to) {}

protected:
    void Show(const ProgressReport& report) override
    {
        whole_.Advance({report.kind, from_ + (to_ - from_) * report.percent / 100, report.elapsedSeconds});
    }

private:
    ProgressSink& whole_;
    int from_;
    int to_;
};

template <typename Compute>
void RunEngine(SimulationState& state, const py::object& progress, Compute&& compute)
{
    PythonProgress sink(progress, state);
    {
        const py::gil_scoped_release withoutInterpreter;
        compute(sink);
    }
    sink.Finish();
}

// A NumPy array over the grid's own block, without a copy: the grid moves
// into a holder that the array's capsule frees with the array.
template <typename Element, typename GridType>
py::array_t<Element> SharedArray(GridType& grid)
{
    auto holder = std::make_unique<GridType>(0, 0);
    holder->Swap(grid);
    const std::array<py::ssize_t, 2> shape{holder->Rows(), holder->Cols()};
    Element* data = holder->Data();
    const py::capsule owner(holder.get(), [](void* held) { std::unique_ptr<GridType>(static_cast<GridType*>(held)); });
    holder.release();
    return py::array_t<Element>(shape, data, owner);
}

py::array_t<double> Density(const SettingOverrides& overrides, int threads, const py::object& progress)
{
    const std::unique_ptr<SimulationState> state = UsableState(overrides, threads);
    RunEngine(*state, progress, [&](ProgressSink& sink) { ComputeDensityGrid(*state, sink); });
    return SharedArray<double>(state->densityField);
}

py::array_t<std::complex<double>> Psi(const SettingOverrides& overrides, int threads, const py::object& progress)
{
    const std::unique_ptr<SimulationState> state = UsableState(overrides, threads);
    ComplexGrid psi(0, 0);
    RunEngine(*state, progress, [&](ProgressSink& sink) {
        ComputePsiBlock(*state, state->grid.nx, state->grid.nz, psi, &sink);
    });
    return SharedArray<std::complex<double>>(psi);
}

py::array_t<double> Spectrum(const SettingOverrides& overrides, int threads, const py::object& progress)
{
    const std::unique_ptr<SimulationState> state = UsableState(overrides, threads);
    RealMatrixT magnitudes(0, 0);
    RunEngine(*state, progress, [&](ProgressSink&) { SpectrumOfPsi(*state, magnitudes); });
    return SharedArray<double>(magnitudes);
}

py::dict Trajectories(const SettingOverrides& overrides, int threads, const py::object& progress)
{
    const std::unique_ptr<SimulationState> state = UsableState(overrides, threads);
    TrajectoryColumns columns;
    RunEngine(*state, progress, [&](ProgressSink& sink) { columns = CollectTrajectories(*state, &sink); });
    py::dict result;
    result["start_row"] = VectorArray(columns.startRow);
    result["step"] = VectorArray(columns.step);
    result["row"] = VectorArray(columns.row);
    result["column"] = VectorArray(columns.column);
    result["x_m"] = VectorArray(columns.x);
    result["z_m"] = VectorArray(columns.z);
    return result;
}

py::dict Visibility(const SettingOverrides& overrides, int threads, const py::object& progress)
{
    const std::unique_ptr<SimulationState> state = UsableState(overrides, threads);
    std::vector<VisibilityPoint> points;
    RunEngine(*state, progress, [&](ProgressSink& sink) {
        ComputeDensityGrid(*state, sink);
        points = FringeVisibility(*state, state->densityField.View());
    });
    std::vector<double> z;
    std::vector<double> visibility;
    for (const VisibilityPoint& point : points) {
        z.push_back(point.z);
        visibility.push_back(point.visibility);
    }
    std::vector<double> inTalbotLengths = z;
    for (double& value : inTalbotLengths) {
        value /= state->parameters.TalbotLength();
    }
    py::dict result;
    result["z_m"] = VectorArray(z);
    result["z_over_zt"] = VectorArray(inTalbotLengths);
    result["visibility"] = VectorArray(visibility);
    return result;
}

py::array_t<std::uint8_t> Carpet(const SettingOverrides& overrides, int threads, const py::object& progress,
                                 int contrast, bool trajectories)
{
    if (contrast < 0 || contrast > 5) {
        throw py::value_error("contrast must be a whole number from 0 to 5, not " + std::to_string(contrast));
    }
    const std::unique_ptr<SimulationState> state = UsableState(overrides, threads);
    RunEngine(*state, progress, [&](ProgressSink& sink) {
        StageProgress densityStage(sink, 0, 50);
        ComputeDensityGrid(*state, densityStage);
        StageProgress carpetStage(sink, 50, 100);
        RenderCarpet(*state, {contrast, trajectories, std::nullopt}, carpetStage);
    });
    const int rows = state->grid.nx;
    const int cols = state->grid.nz;
    py::array_t<std::uint8_t> array({rows, cols, 3});
    auto out = array.mutable_unchecked<3>();
    for (int i = 0; i < rows; ++i) {
        for (int j = 0; j < cols; ++j) {
            out(i, j, 0) = state->carpetRed[i][j];
            out(i, j, 1) = state->carpetGreen[i][j];
            out(i, j, 2) = state->carpetBlue[i][j];
        }
    }
    return array;
}

py::array_t<double> QuantumPotential(const SettingOverrides& overrides, int threads, const py::object& progress)
{
    const std::unique_ptr<SimulationState> state = UsableState(overrides, threads);
    RealMatrixT q(0, 0);
    RunEngine(*state, progress, [&](ProgressSink& sink) { ComputeQuantumPotential(*state, q, sink); });
    return SharedArray<double>(q);
}

Ensemble TracedEnsemble(SimulationState& state, const py::object& progress, int count, std::uint64_t seed,
                        const std::string& integratorName)
{
    const std::optional<Integrator> integrator = ParseChoice(integratorName, kIntegrators);
    if (!integrator) {
        throw py::value_error("integrator must be " + ChoiceList(kIntegrators) + ", not '" + integratorName + "'");
    }
    Ensemble ensemble;
    RunEngine(state, progress, [&](ProgressSink& sink) { ensemble = TraceEnsemble(state, {count, seed, *integrator}, sink); });
    return ensemble;
}

py::dict EnsemblePaths(const SettingOverrides& overrides, int threads, const py::object& progress, int count,
                       std::uint64_t seed, const std::string& integrator)
{
    const std::unique_ptr<SimulationState> state = UsableState(overrides, threads);
    const Ensemble ensemble = TracedEnsemble(*state, progress, count, seed, integrator);
    py::array_t<float> rows({ensemble.count, ensemble.columns});
    std::copy(ensemble.rows.begin(), ensemble.rows.end(), rows.mutable_data());
    py::array_t<std::uint8_t> ends(static_cast<py::ssize_t>(ensemble.ends.size()));
    std::transform(ensemble.ends.begin(), ensemble.ends.end(), ends.mutable_data(),
                   [](EnsembleEnd end) { return static_cast<std::uint8_t>(end); });
    py::dict result;
    result["start_row"] = VectorArray(ensemble.startRows);
    result["row"] = rows;
    result["end"] = ends;
    return result;
}

py::dict EnsembleHistogramOf(const SettingOverrides& overrides, int threads, const py::object& progress, int count,
                             std::uint64_t seed, const std::string& integrator, int column, int bins)
{
    const std::unique_ptr<SimulationState> state = UsableState(overrides, threads);
    const Ensemble ensemble = TracedEnsemble(*state, progress, count, seed, integrator);
    const EnsembleHistogram histogram = HistogramAt(*state, ensemble, column < 0 ? state->grid.nz - 1 : column, bins);
    py::dict result;
    result["x_m"] = VectorArray(histogram.centres);
    result["ensemble"] = VectorArray(histogram.counts);
    result["density"] = VectorArray(histogram.density);
    result["total_variation"] = histogram.totalVariation;
    result["counted"] = histogram.counted;
    result["left_grid"] = histogram.leftGrid;
    result["escaped_share"] = histogram.escapedShare;
    result["outside_weight"] = histogram.outsideWeight;
    result["whole_line_variation"] = histogram.wholeLineVariation;
    result["stopped"] = histogram.stopped;
    return result;
}

}  // namespace
}  // namespace nivaro

PYBIND11_MODULE(_nivaro, module)
{
    using namespace nivaro;
    module.doc() = "The compiled core of nivaro; the package's public functions wrap it.";
    // Settings the engine refuses are the caller's values, not a failure.
    py::register_exception<UnusableSettingsError>(module, "UnusableSettingsError", PyExc_ValueError);
    module.attr("__version__") = kProgramVersion;
    module.attr("MOST_THREADS") = kMostThreads;
    module.def("setting_names", &SettingNames);
    module.def("resolve", &Resolve);
    module.def("read_configuration", &ReadConfiguration);
    module.def("grid", &GridCoordinates);
    module.def("sweep_values", &SweepValues);
    module.def("density", &Density);
    module.def("psi", &Psi);
    module.def("spectrum", &Spectrum);
    module.def("trajectories", &Trajectories);
    module.def("visibility", &Visibility);
    module.def("quantum_potential", &QuantumPotential);
    module.def("carpet", &Carpet);
    module.def("ensemble", &EnsemblePaths);
    module.def("ensemble_histogram", &EnsembleHistogramOf);
}
