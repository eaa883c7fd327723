#include "VisibilityCsv.h"

#include "engine/SettingsValidation.h"

namespace nivaro {

std::string VisibilityCsv(const std::vector<VisibilityPoint>& points, double talbotLength)
{
    std::string text = "z_m,z_over_zt,visibility\n";
    for (const VisibilityPoint& point : points) {
        text += ShortestText(point.z) + ',' + ShortestText(point.z / talbotLength) + ',' +
                ShortestText(point.visibility) + '\n';
    }
    return text;
}

}  // namespace nivaro
