// The settings as the batch program's --set and the Python module take
// them: a configuration file (up to the first line "---"), then KEY=VALUE
// lines applied in order. Whatever is accepted and usable has a finite work
// estimate, and a run within the limits cannot hang in its start loop.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "configuration/Configuration.h"
#include "engine/SettingsValidation.h"
#include "engine/TrajectoryStarts.h"
#include "engine/WorkEstimate.h"
#include "platform/IniFile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const std::size_t split = bytes.find("\n---\n");
    const nivaro::IniFile file = nivaro::IniFile::Parse(bytes.substr(0, split));
    nivaro::SettingOverrides overrides;
    if (split != std::string_view::npos) {
        const std::string_view lines = bytes.substr(split + 5);
        for (std::size_t begin = 0; begin < lines.size();) {
            const std::size_t end = std::min(lines.find('\n', begin), lines.size());
            const std::string_view line = lines.substr(begin, end - begin);
            begin = end + 1;
            const std::size_t equals = line.find('=');
            if (equals != std::string_view::npos) {
                overrides.emplace_back(std::string(line.substr(0, equals)), std::string(line.substr(equals + 1)));
            }
        }
    }
    nivaro::SimulationState state;
    state.gridMemoryLimit = 1ULL << 32;
    if (nivaro::LoadConfiguration(file, overrides, state).refusal || !nivaro::FindUnusableSettings(state).empty()) {
        return 0;
    }
    nivaro::RunPlan plan;
    plan.carpet = plan.carpetTrajectories = plan.trajectoryCsv = plan.surfaceTrajectories = plan.quantumPotential = true;
    const nivaro::WorkEstimate estimate = nivaro::EstimateWork(state, plan, 2);
    if (!(estimate.seconds >= 0.0) || !(estimate.outputBytes >= 0.0) || !(estimate.memoryBytes >= 0.0)) {
        std::abort();  // an estimate that cannot bound the run
    }
    if (!nivaro::WorkBeyondLimits(estimate, nivaro::WorkLimits{}) && estimate.memoryBytes < 1e9 &&
        estimate.startCandidates < 1e6) {
        nivaro::RegularStartRows(state, state.grid.dxb);
    }
    return 0;
}
