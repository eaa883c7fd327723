#include "GridSettings.h"

namespace nivaro {

void GridSettings::DeriveDecimation()
{
    decimationX = DecimationFor(nx);
    decimationZ = DecimationFor(nz);
}

void GridSettings::SetRows(int rows)
{
    if (nxb == DefaultNxb(nx)) {
        nxb = DefaultNxb(rows);
    }
    nx = rows;
}

}  // namespace nivaro
