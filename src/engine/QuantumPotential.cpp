#include "QuantumPotential.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "DensityGrid.h"
#include "OrderedBlocks.h"
#include "PhysicalConstants.h"
#include "SettingsValidation.h"
#include "WaveFunction.h"

namespace nivaro {
namespace {

constexpr int kColumnsPerBlock = 8;

struct SlitSums {
    Complex s;
    Complex first;   // dS/dx
    Complex second;  // d2S/dx2
};

// Each term exp(A u^2) with its derivatives 2 A u exp(A u^2) and
// (2 A + 4 A^2 u^2) exp(A u^2).
SlitSums SumWithDerivatives(const Complex& a, double x, int slits, double d)
{
    SlitSums sums{};
    double u = x - (slits - 1) * 0.5 * d;
    for (int k = 0; k < slits; ++k) {
        const Complex term = Exp(a * (u * u));
        const Complex slope = 2.0 * a * u;
        sums.s += term;
        sums.first += slope * term;
        sums.second += (2.0 * a + slope * slope) * term;
        u += d;
    }
    return sums;
}

// Q in eV from the sums, and R = |psi| for the floor test.
double PotentialOf(const SlitSums& sums, double hbarSquaredOverTwoM)
{
    const Complex slope = sums.first / sums.s;
    const Complex curvature = sums.second / sums.s;
    return -hbarSquaredOverTwoM * (curvature.real() + slope.imag() * slope.imag()) / kElectronVolt;
}

}  // namespace

double QuantumPotentialAt(const SimulationParameters& parameters, double x, double z)
{
    const ColumnCoefficients column = ComputeColumnCoefficients(parameters, z);
    const SlitSums sums = SumWithDerivatives(column.gaussExponent, x, parameters.slits, parameters.d);
    return PotentialOf(sums, kHbar * kHbar / (2 * parameters.mass));
}

void ComputeQuantumPotential(const SimulationState& state, RealMatrixT& q, ProgressSink& progress)
{
    RequireUsableSettings(state);
    SimulationParameters parameters = state.parameters;
    parameters.UpdateDerived();
    const int nx = state.grid.nx;
    const int nz = state.grid.nz;
    q.Resize(nx, nz);
    RealMatrixT amplitude(nx, nz);
    const double factor = kHbar * kHbar / (2 * parameters.mass);
    const int blocks = (nz + kColumnsPerBlock - 1) / kColumnsPerBlock;
    const ElapsedSeconds elapsed;
    for (int i = 0; i < nx; ++i) {
        std::fill_n(q[i], nz, std::numeric_limits<double>::quiet_NaN());
        std::fill_n(amplitude[i], nz, 0.0);
    }
    RunBlocksInOrder(
        blocks, ThreadCount(state.threads),
        [&](int block, int) {
            const int last = std::min(nz, (block + 1) * kColumnsPerBlock);
            for (int j = block * kColumnsPerBlock; j < last; ++j) {
                const ColumnCoefficients column = ComputeColumnCoefficients(parameters, ColumnPosition(state, j));
                const double columnScale = std::abs(column.columnFactor);
                for (int i = 0; i < nx; ++i) {
                    const SlitSums sums =
                        SumWithDerivatives(column.gaussExponent, RowPosition(state, i), parameters.slits, parameters.d);
                    amplitude[i][j] = columnScale * std::abs(sums.s);
                    q[i][j] = PotentialOf(sums, factor);
                }
            }
        },
        [&](int finished) {
            progress.Advance(
                {ProgressKind::QuantumPotentialColumns, static_cast<int>(finished * 100LL / blocks), elapsed()});
            return !state.stopRequested.load();
        });
    const double floor = amplitude.MaxElement() * kQuantumPotentialFloor;
    for (int i = 0; i < nx; ++i) {
        for (int j = 0; j < nz; ++j) {
            if (!(amplitude[i][j] >= floor) || !(floor > 0)) {
                q[i][j] = std::numeric_limits<double>::quiet_NaN();
            }
        }
    }
}

}  // namespace nivaro
