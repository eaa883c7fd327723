// The number and scale parsers: whatever they accept reads back the same
// from the text the program shows for it.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "engine/AxisScale.h"
#include "platform/NumberText.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    nivaro::LeadingInteger(text);
    nivaro::LeadingReal(text);
    nivaro::ParseWholeInteger(text);
    if (const std::optional<double> value = nivaro::ParseWholeReal(text)) {
        const std::optional<double> shown = nivaro::ParseWholeReal(nivaro::FloatToStr(*value));
        if (!shown || std::abs(*shown - *value) > 1e-14 * std::abs(*value)) {
            std::abort();  // the shown text is not the value
        }
    }
    nivaro::AxisScale scale;
    if (scale.Parse(text)) {
        nivaro::AxisScale again;
        if (!again.Parse(scale.Text()) || again.Factor() != scale.Factor()) {
            std::abort();  // the scale's own text does not give the scale
        }
    }
    return 0;
}
