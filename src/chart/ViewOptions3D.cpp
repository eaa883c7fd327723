#include "ViewOptions3D.h"

#include <cmath>

#include "ChartRounding.h"

namespace nivaro {

int ViewOptions3D::Rounded(double value)
{
    return Round(value);
}

double ViewOptions3D::CalcOrthoRatio() const
{
    if (!orthogonal_) {
        return 1.0;
    }
    const int angle = orthoAngle_ > 90 ? 180 - orthoAngle_ : orthoAngle_;
    return std::tan(angle * 0.017453292519943295);
}

}  // namespace nivaro
