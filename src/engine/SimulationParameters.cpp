#include "SimulationParameters.h"

#include "PhysicalConstants.h"

namespace nivaro {

void SimulationParameters::UpdateMomentumAndVelocity()
{
    momentum = kHbar * 2 * kPi / lambda;
    velocity = momentum / mass;
}

void SimulationParameters::UpdateDerived()
{
    zOffset = 2 * d * d / lambda * z0;
    UpdateMomentumAndVelocity();
}

}  // namespace nivaro
