#include "SweepPlan.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <map>
#include <set>

#include "configuration/SettingKeys.h"
#include "platform/NumberText.h"
#include "platform/TextMatching.h"

namespace nivaro {
namespace {

constexpr int kMostSweepValues = 100000;
constexpr std::string_view kWholeKeys[] = {"slits", "nx", "nz", "nxb"};
constexpr std::string_view kRatioKeys[] = {"X-scale", "Z-scale", "P-scale"};

bool IsOneOf(std::string_view key, const auto& names)
{
    return std::any_of(std::begin(names), std::end(names), [key](std::string_view name) { return name == key; });
}

double ReadNumber(std::string_view text, const std::string& whole)
{
    try {
        return StrToFloat(Trimmed(text));
    } catch (const ConversionError&) {
        throw SweepError("--sweep needs KEY=FROM:TO:COUNT with numbers, got '" + whole + "'");
    }
}

std::vector<std::string> ValueTexts(const SweepAxis& axis)
{
    std::vector<std::string> texts;
    std::set<std::string> seen;  // repeated values (rounded whole numbers) are dropped
    for (int i = 0; i < axis.count; ++i) {
        const double value = axis.count == 1 ? axis.from : axis.from + (axis.to - axis.from) * i / (axis.count - 1);
        std::string text = axis.whole ? std::to_string(std::llround(value)) : FloatToStr(value);
        if (seen.insert(text).second) {
            texts.push_back(std::move(text));
        }
    }
    return texts;
}

int Digits(int number)
{
    int digits = 1;
    for (; number >= 10; number /= 10) {
        ++digits;
    }
    return digits;
}

}  // namespace

SweepAxis ParseSweepAxis(std::string_view text)
{
    const std::string whole(text);
    const std::size_t equals = text.find('=');
    const auto usage = [&whole] {
        return SweepError("--sweep needs KEY=FROM:TO:COUNT, got '" + whole + "'");
    };
    if (equals == std::string_view::npos) {
        throw usage();
    }
    const std::string_view key = Trimmed(text.substr(0, equals));
    const std::optional<std::string_view> named = SettingKeyOf(key);
    if (!named || IsOneOf(*named, kRatioKeys)) {
        throw SweepError("--sweep takes a numeric setting (not a scale), got '" + std::string(key) + "'");
    }
    std::vector<std::string_view> parts;
    std::string_view rest = text.substr(equals + 1);
    for (std::size_t colon; (colon = rest.find(':')) != std::string_view::npos; rest = rest.substr(colon + 1)) {
        parts.push_back(rest.substr(0, colon));
    }
    parts.push_back(rest);
    if (parts.size() != 3) {
        throw usage();
    }
    SweepAxis axis;
    axis.key = std::string(*named);
    axis.whole = IsOneOf(*named, kWholeKeys);
    axis.from = ReadNumber(parts[0], whole);
    axis.to = ReadNumber(parts[1], whole);
    const std::optional<int> count = ParseWholeInteger(Trimmed(parts[2]));
    if (!count || *count < 1 || *count > kMostSweepValues) {
        throw SweepError("--sweep needs a COUNT from 1 to 100000, got '" + whole + "'");
    }
    axis.count = *count;
    if (!std::isfinite(axis.from) || !std::isfinite(axis.to)) {
        throw SweepError("--sweep needs finite FROM and TO, got '" + whole + "'");
    }
    return axis;
}

std::vector<SweepRun> PlanSweep(const std::vector<SweepAxis>& axes)
{
    for (auto axis = axes.begin(); axis != axes.end(); ++axis) {
        if (std::any_of(axes.begin(), axis, [&axis](const SweepAxis& before) { return before.key == axis->key; })) {
            throw SweepError("--sweep names " + axis->key + " twice; sweep each setting once");
        }
    }
    std::vector<SweepRun> runs(1);
    for (const SweepAxis& axis : axes) {
        std::vector<SweepRun> grown;
        for (const SweepRun& run : runs) {
            for (const std::string& value : ValueTexts(axis)) {
                SweepRun next = run;
                next.settings.emplace_back(axis.key, value);
                grown.push_back(std::move(next));
            }
        }
        runs = std::move(grown);
    }
    for (std::size_t i = 0; i < runs.size(); ++i) {
        runs[i].index = static_cast<int>(i);
    }
    return runs;
}

std::string ExpandPattern(const std::string& pattern, const SweepRun& run, int runCount)
{
    std::string expanded;
    for (std::size_t at = 0; at < pattern.size();) {
        const std::size_t open = pattern.find('{', at);
        if (open == std::string::npos) {
            expanded += pattern.substr(at);
            break;
        }
        expanded += pattern.substr(at, open - at);
        const std::size_t close = pattern.find('}', open);
        if (close == std::string::npos) {
            throw SweepError("'" + pattern + "' has a '{' without '}'");
        }
        const std::string name = pattern.substr(open + 1, close - open - 1);
        if (name == "index") {
            const std::string digits = std::to_string(run.index);
            expanded += std::string(static_cast<std::size_t>(std::max(0, Digits(runCount) - static_cast<int>(digits.size()))), '0') + digits;
        } else {
            const auto setting = std::find_if(run.settings.begin(), run.settings.end(),
                                              [&name](const auto& s) { return EqualsIgnoringCase(s.first, name); });
            if (setting == run.settings.end()) {
                throw SweepError("'" + pattern + "' names {" + name + "}, which is neither {index} nor a swept key");
            }
            expanded += setting->second;
        }
        at = close + 1;
    }
    return expanded;
}

std::optional<std::string> FileNamedTwice(const std::vector<std::string>& names)
{
    // Folders are resolved once each: a sweep names many files in a few.
    std::map<std::filesystem::path, std::filesystem::path> folders;
    std::set<std::filesystem::path> files;
    for (const std::string& name : names) {
        std::error_code error;
        const std::filesystem::file_status status = std::filesystem::status(name, error);
        // Standard output, devices and pipes are written as they are, by any number of outputs.
        if (name == "-" || (std::filesystem::exists(status) && !std::filesystem::is_regular_file(status))) {
            continue;
        }
        const std::filesystem::path path = std::filesystem::absolute(name, error);
        auto [folder, added] = folders.try_emplace(path.parent_path());
        if (added) {
            const std::filesystem::path resolved = std::filesystem::weakly_canonical(path.parent_path(), error);
            folder->second = error ? path.parent_path().lexically_normal() : resolved;
        }
        if (!files.insert(folder->second / path.filename()).second) {
            return name;
        }
    }
    return std::nullopt;
}

void RequireDistinctFiles(const std::vector<std::string>& patterns, const std::vector<SweepRun>& runs,
                          const std::vector<std::string>& once)
{
    std::vector<std::string> names = once;
    for (const std::string& pattern : patterns) {
        for (const SweepRun& run : runs) {
            names.push_back(ExpandPattern(pattern, run, static_cast<int>(runs.size())));
        }
    }
    if (const std::optional<std::string> twice = FileNamedTwice(names)) {
        throw SweepError("two outputs of the sweep would write '" + *twice +
                         "'; give each its own file (put {index} or the swept keys into the runs' file names)");
    }
}

}  // namespace nivaro
