// The sweep's axes and file patterns, one per line (axes until the first
// empty line, then patterns): an accepted sweep plans every run of its
// grid, and every pattern expands for each run or is refused.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "configuration/SweepPlan.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    std::vector<nivaro::SweepAxis> axes;
    std::vector<std::string> patterns;
    bool readingPatterns = false;
    double runs = 1.0;
    for (std::size_t begin = 0; begin < text.size();) {
        const std::size_t end = std::min(text.find('\n', begin), text.size());
        const std::string line = text.substr(begin, end - begin);
        begin = end + 1;
        if (line.empty()) {
            readingPatterns = true;
        } else if (readingPatterns) {
            patterns.push_back(line);
        } else {
            try {
                axes.push_back(nivaro::ParseSweepAxis(line));
                runs *= axes.back().count;
            } catch (const nivaro::SweepError&) {
                return 0;
            }
        }
    }
    if (runs * static_cast<double>(std::max<std::size_t>(patterns.size(), 1)) > 2e4) {
        return 0;  // more files than this are planned alike, only slower
    }
    std::vector<nivaro::SweepRun> planned;
    try {
        planned = nivaro::PlanSweep(axes);
    } catch (const nivaro::SweepError&) {
        return 0;
    }
    if (planned.empty() || planned.size() > static_cast<std::size_t>(runs)) {
        std::abort();  // a run lost or invented
    }
    try {
        nivaro::RequireDistinctFiles(patterns, planned, {});
    } catch (const nivaro::SweepError&) {
    }
    return 0;
}
