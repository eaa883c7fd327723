// The Python module: bindings only. Settings are the configuration's keys,
// applied as the batch program applies --set; the computations are the
// engine's, run without the global interpreter lock.
#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>

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
#include "engine/CarpetPass.h"
#include "engine/DensityGrid.h"
#include "engine/QuantumPotential.h"
#include "engine/RegularTraces.h"
#include "engine/SettingsValidation.h"
#include "engine/SpectrumTransform.h"
#include "engine/TrajectoryEnsemble.h"
#include "platform/FileError.h"
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

std::optional<std::string> KeyOf(const std::string& snakeName)
{
    for (const std::string_view key : SettingKeyNames()) {
        if (SnakeName(key) == snakeName) {
            return std::string(key);
        }
    }
    return std::nullopt;
}

// A Python number or text as the configuration would hold it.
std::string SettingText(const py::handle& value)
{
    return py::isinstance<py::str>(value) ? value.cast<std::string>() : py::repr(value).cast<std::string>();
}

class Settings {
public:
    Settings() = default;

    static Settings FromConfig(const std::string& path)
    {
        Settings settings;
        try {
            settings.configuration_ = IniFile::Load(path);
        } catch (const FileError& error) {
            throw py::value_error(error.what());
        }
        return settings;
    }

    void Set(const std::string& snakeName, const py::handle& value)
    {
        if (snakeName == "threads") {
            threads_ = value.cast<int>();
            return;
        }
        const std::optional<std::string> known = KeyOf(snakeName);
        if (!known) {
            throw py::value_error("unknown setting '" + snakeName + "'");
        }
        const std::string& key = *known;
        const std::string text = SettingText(value);
        SimulationState scratch;
        PanelTexts panel;
        if (const std::optional<std::string> problem = ApplySetting(scratch, panel, key, text)) {
            throw py::value_error(*problem);
        }
        overrides_.emplace_back(key, text);
    }

    py::object Get(const std::string& snakeName) const
    {
        if (snakeName == "threads") {
            return py::int_(threads_);
        }
        const std::optional<std::string> known = KeyOf(snakeName);
        if (!known) {
            throw py::attribute_error("unknown setting '" + snakeName + "'");
        }
        const std::string& key = *known;
        const std::unique_ptr<SimulationState> state = State();
        const SimulationParameters& p = state->parameters;
        const GridSettings& g = state->grid;
        if (key == "slits") return py::int_(p.slits);
        if (key == "mass") return py::float_(p.mass);
        if (key == "lambda") return py::float_(p.lambda);
        if (key == "d") return py::float_(p.d);
        if (key == "slite width") return py::float_(p.slitWidth);
        if (key == "sigma0") return py::float_(p.sigma0);
        if (key == "X-scale") return py::str(state->scaleX.Text());
        if (key == "Z-scale") return py::str(state->scaleZ.Text());
        if (key == "P-scale") return py::str(state->scaleP.Text());
        if (key == "z0") return py::float_(p.z0);
        if (key == "nx") return py::int_(g.nx);
        if (key == "nz") return py::int_(g.nz);
        if (key == "nxb") return py::int_(g.nxb);
        if (key == "dxb") return py::float_(g.dxb);
        if (key == "step") return py::float_(g.step);
        if (key == "integrator") return py::str(std::string(ChoiceName(g.integrator, kIntegrators)));
        if (key == "tolerance") return py::float_(g.tolerance);
        const WaveSettings& wave = p.wave;
        if (key == "model") return py::str(std::string(ChoiceName(wave.model, kFieldModels)));
        if (key == "grating") return py::str(std::string(ChoiceName(wave.grating, kGratings)));
        if (key == "propagator") return py::str(std::string(ChoiceName(wave.propagator, kPropagators)));
        if (key == "edge width") return py::float_(wave.edgeWidth);
        if (key == "phase depth") return py::float_(wave.phaseDepth);
        if (key == "grating file") return py::str(wave.transmissionFile);
        if (key == "lambda spread") return py::float_(wave.lambdaSpread);
        if (key == "source width") return py::float_(wave.sourceWidth);
        if (key == "coherence samples") return py::int_(wave.coherenceSamples);
        throw py::attribute_error("setting '" + snakeName + "' cannot be read");
    }

    // A state with the configuration's settings, then the overrides in
    // order, as the batch program builds it; unusable settings raise
    // ValueError with the batch's messages.
    std::unique_ptr<SimulationState> State() const
    {
        auto state = std::make_unique<SimulationState>();
        state->gridMemoryLimit = AvailableMemoryBytes();
        state->threads = threads_;
        if (const std::optional<std::string> refusal = LoadConfiguration(configuration_, overrides_, *state).refusal) {
            throw py::value_error(*refusal);
        }
        return state;
    }

private:
    IniFile configuration_;
    SettingOverrides overrides_;
    int threads_ = 0;
};

std::unique_ptr<SimulationState> UsableState(const Settings& settings)
{
    std::unique_ptr<SimulationState> state = settings.State();
    const std::vector<SettingProblem> problems = FindUnusableSettings(*state);
    if (!problems.empty()) {
        throw py::value_error(UnusableSettingsError(problems).what());
    }
    return state;
}

// Progress for a Python callable, called with the percent; the callable
// (or Ctrl+C) raising stops the computation within one block of work, and
// the exception is raised again when the engine has returned.
class PythonProgress final : public ProgressSink {
public:
    PythonProgress(py::object callback, SimulationState& state) : callback_(std::move(callback)), state_(state) {}

    void RaiseIfStopped()
    {
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

template <typename Compute>
void RunEngine(SimulationState& state, const py::object& progress, Compute&& compute)
{
    PythonProgress sink(progress, state);
    {
        const py::gil_scoped_release withoutInterpreter;
        compute(sink);
    }
    sink.RaiseIfStopped();
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

py::array_t<double> Density(const Settings& settings, const py::object& progress)
{
    const std::unique_ptr<SimulationState> state = UsableState(settings);
    RunEngine(*state, progress, [&](ProgressSink& sink) { ComputeDensityGrid(*state, sink); });
    return SharedArray<double>(state->densityField);
}

py::array_t<std::complex<double>> Psi(const Settings& settings, const py::object& progress)
{
    const std::unique_ptr<SimulationState> state = UsableState(settings);
    ComplexGrid psi(0, 0);
    RunEngine(*state, progress, [&](ProgressSink& sink) {
        state->parameters.UpdateDerived();
        ComputePsiBlock(*state, state->grid.nx, state->grid.nz, psi, &sink);
    });
    return SharedArray<std::complex<double>>(psi);
}

py::array_t<double> Spectrum(const Settings& settings, const py::object& progress)
{
    const std::unique_ptr<SimulationState> state = UsableState(settings);
    RealMatrixT magnitudes(0, 0);
    RunEngine(*state, progress, [&](ProgressSink&) {
        state->parameters.UpdateDerived();
        SpectrumOfPsi(*state, magnitudes);
    });
    return SharedArray<double>(magnitudes);
}

py::dict Trajectories(const Settings& settings)
{
    const std::unique_ptr<SimulationState> state = UsableState(settings);
    state->parameters.UpdateDerived();
    TrajectoryColumns columns;
    {
        const py::gil_scoped_release withoutInterpreter;
        columns = CollectTrajectories(*state);
    }
    const auto array = [](const std::vector<double>& values) {
        return py::array_t<double>(static_cast<py::ssize_t>(values.size()), values.data());
    };
    py::dict result;
    result["start_row"] = array(columns.startRow);
    result["step"] = array(columns.step);
    result["row"] = array(columns.row);
    result["column"] = array(columns.column);
    result["x_m"] = array(columns.x);
    result["z_m"] = array(columns.z);
    return result;
}

py::array_t<std::uint8_t> Carpet(const Settings& settings, int contrast, bool trajectories, const py::object& progress)
{
    const std::unique_ptr<SimulationState> state = UsableState(settings);
    RunEngine(*state, progress, [&](ProgressSink& sink) {
        ComputeDensityGrid(*state, sink);
        RenderCarpet(*state, {contrast, trajectories, std::nullopt}, sink);
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

py::array_t<double> QuantumPotential(const Settings& settings, const py::object& progress)
{
    const std::unique_ptr<SimulationState> state = UsableState(settings);
    RealMatrixT q(0, 0);
    RunEngine(*state, progress, [&](ProgressSink& sink) { ComputeQuantumPotential(*state, q, sink); });
    return SharedArray<double>(q);
}

Ensemble TracedEnsemble(SimulationState& state, int count, std::uint64_t seed, const std::string& integratorName,
                        const py::object& progress)
{
    const std::optional<Integrator> integrator = ParseChoice(integratorName, kIntegrators);
    if (!integrator) {
        throw py::value_error("integrator must be 'adaptive' or 'euler', not '" + integratorName + "'");
    }
    Ensemble ensemble;
    RunEngine(state, progress,
              [&](ProgressSink& sink) { ensemble = TraceEnsemble(state, {count, seed, *integrator}, sink); });
    return ensemble;
}

py::dict EnsemblePaths(const Settings& settings, int count, std::uint64_t seed, const py::object& progress,
                       const std::string& integrator)
{
    const std::unique_ptr<SimulationState> state = UsableState(settings);
    const Ensemble ensemble = TracedEnsemble(*state, count, seed, integrator, progress);
    py::array_t<float> rows({ensemble.count, ensemble.columns});
    std::copy(ensemble.rows.begin(), ensemble.rows.end(), rows.mutable_data());
    py::array_t<std::uint8_t> ends(static_cast<py::ssize_t>(ensemble.ends.size()));
    std::transform(ensemble.ends.begin(), ensemble.ends.end(), ends.mutable_data(),
                   [](EnsembleEnd end) { return static_cast<std::uint8_t>(end); });
    py::dict result;
    result["start_row"] = py::array_t<double>(static_cast<py::ssize_t>(ensemble.startRows.size()), ensemble.startRows.data());
    result["row"] = rows;
    result["end"] = ends;
    return result;
}

py::dict EnsembleHistogramOf(const Settings& settings, int count, std::uint64_t seed, int column, int bins,
                             const py::object& progress, const std::string& integrator)
{
    const std::unique_ptr<SimulationState> state = UsableState(settings);
    const Ensemble ensemble = TracedEnsemble(*state, count, seed, integrator, progress);
    const EnsembleHistogram histogram = HistogramAt(*state, ensemble, column < 0 ? state->grid.nz - 1 : column, bins);
    py::dict result;
    result["x_m"] = py::array_t<double>(static_cast<py::ssize_t>(histogram.centres.size()), histogram.centres.data());
    result["ensemble"] =
        py::array_t<long long>(static_cast<py::ssize_t>(histogram.counts.size()), histogram.counts.data());
    result["density"] = py::array_t<double>(static_cast<py::ssize_t>(histogram.density.size()), histogram.density.data());
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

PYBIND11_MODULE(nivaro, module)
{
    using nivaro::Settings;
    module.doc() = "Near-field (Talbot) diffraction by N slits: density, psi, spectrum, Bohmian trajectories, carpet, ensembles, quantum potential.";
    py::class_<Settings>(module, "Settings")
        .def(py::init([](const py::kwargs& keys) {
                 Settings settings;
                 for (const auto& [name, value] : keys) {
                     settings.Set(name.cast<std::string>(), value);
                 }
                 return settings;
             }),
             "Settings(**keys): the configuration's keys in snake_case (slits, mass, lambda_, d, slite_width, "
             "sigma0, x_scale, z_scale, p_scale, z0, nx, nz, nxb, dxb, step) and threads.")
        .def_static("from_config", &Settings::FromConfig, py::arg("path"), "The settings of a configuration file.")
        .def("__getattr__", &Settings::Get)
        .def("__setattr__", &Settings::Set);
    const py::arg_v noProgress("progress", py::none(), "None");
    module.def("density", &nivaro::Density, py::arg("settings"), noProgress,
               "norm(PSI) on the nx by nz grid as a float64 array.");
    module.def("psi", &nivaro::Psi, py::arg("settings"), noProgress, "psi on the grid as a complex128 array.");
    module.def("spectrum", &nivaro::Spectrum, py::arg("settings"), noProgress,
               "The 256 by 256 magnitude of the 2D Fourier transform of psi.");
    module.def("trajectories", &nivaro::Trajectories, py::arg("settings"),
               "The carpet's regular Bohmian trajectories: a dict of arrays start_row, step, row, column, x_m, z_m.");
    module.def("carpet", &nivaro::Carpet, py::arg("settings"), py::arg("contrast") = 1, py::arg("trajectories") = true,
               noProgress, "The carpet picture as an (nx, nz, 3) uint8 RGB array.");
    module.def("quantum_potential", &nivaro::QuantumPotential, py::arg("settings"), noProgress,
               "The quantum potential Q in eV on the grid as a float64 array; nan where |psi| is below 1e-12 of "
               "its largest value.");
    module.def("ensemble", &nivaro::EnsemblePaths, py::arg("settings"), py::arg("count") = 2000, py::arg("seed") = 1,
               noProgress, py::arg("integrator") = "adaptive",
               "Trajectories from starts drawn from |psi|^2, integrated with the error-controlled 'adaptive' "
               "integrator (the settings' tolerance) or the carpet's 'euler' steps: a dict of start_row, row (count "
               "by nz, float32, nan after a path ended) and end (0 reached the end, 1 left the grid, 2 stopped).");
    module.def("ensemble_histogram", &nivaro::EnsembleHistogramOf, py::arg("settings"), py::arg("count") = 2000,
               py::arg("seed") = 1, py::arg("column") = -1, py::arg("bins") = 50, noProgress,
               py::arg("integrator") = "adaptive",
               "The ensemble at a column (the last by default) against |psi|^2: a dict of x_m, ensemble, density "
               "(1/m over the occupied range), total_variation, counted, left_grid, stopped, and over the whole line: "
               "escaped_share (paths outside the grid's rows), outside_weight (|psi|^2 there, as a share of its "
               "norm) and whole_line_variation (the distance with the outside as one more bin).");
}
