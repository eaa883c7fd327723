#include "GridSettings.h"

namespace nivaro {

void GridSettings::DeriveDecimation()
{
    decimationX = DecimationFor(nx);
    decimationZ = DecimationFor(nz);
}

}  // namespace nivaro
