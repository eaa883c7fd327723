// The batch's arguments, one per line: whatever the parser and the settings
// checks accept has a finite work estimate, and a run within the limits
// cannot hang in its start loop.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "BatchOptions.h"
#include "configuration/SettingKeys.h"
#include "engine/SettingsValidation.h"
#include "engine/TrajectoryStarts.h"
#include "engine/WorkEstimate.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    std::vector<std::string> arguments;
    std::size_t begin = 0;
    while (begin < text.size()) {
        const std::size_t end = std::min(text.find('\n', begin), text.size());
        arguments.push_back(text.substr(begin, end - begin));
        begin = end + 1;
    }
    nivaro::BatchOptions options;
    try {
        options = nivaro::ParseBatchOptions(arguments);
    } catch (const nivaro::UsageError&) {
        return 0;
    }
    nivaro::SimulationState state;
    state.gridMemoryLimit = 1ULL << 32;
    nivaro::PanelTexts panel;
    for (const auto& [key, value] : options.settings) {
        if (nivaro::ApplySetting(state, panel, key, value)) {
            return 0;
        }
    }
    state.grid.DeriveDecimation();
    if (!nivaro::FindUnusableSettings(state).empty()) {
        return 0;
    }
    nivaro::RunPlan plan;
    plan.carpet = plan.carpetTrajectories = plan.trajectoryCsv = plan.surfaceTrajectories = true;
    const nivaro::WorkEstimate estimate = nivaro::EstimateWork(state, plan, 2);
    if (!(estimate.seconds >= 0.0) || !(estimate.outputBytes >= 0.0) || !(estimate.memoryBytes >= 0.0)) {
        std::abort();  // an estimate that cannot bound the run
    }
    if (!nivaro::WorkBeyondLimits(estimate, nivaro::WorkLimits{}) && estimate.startCandidates < 1e6) {
        nivaro::RegularStartRows(state, state.grid.dxb);
    }
    return 0;
}
