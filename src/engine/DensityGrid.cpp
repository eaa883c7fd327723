#include "DensityGrid.h"

#include "SettingsValidation.h"
#include "WaveFunction.h"

namespace nivaro {
namespace {

void ReshapeGrids(SimulationState& state)
{
    const int nx = state.grid.nx;
    const int nz = state.grid.nz;
    state.psiField.Resize(nx, nz);
    state.densityField.Resize(nx, nz);
    state.carpetRed.Resize(nx, nz);
    state.carpetGreen.Resize(nx, nz);
    state.carpetBlue.Resize(nx, nz);
    state.trajectoryStartGrid.Resize(nx, nz);
}

void StorePsi(SimulationState& state, int row, int column, const Complex& psi)
{
    state.psiField.Re(row)[column] = psi.real();
    state.psiField.Im(row)[column] = psi.imag();
    state.densityField[row][column] = psi.real() * psi.real() + psi.imag() * psi.imag();
}

void ComputeColumn(SimulationState& state, int column)
{
    const SimulationParameters& parameters = state.parameters;
    const int nx = state.grid.nx;
    const ColumnCoefficients coefficients = ComputeColumnCoefficients(parameters, ColumnPosition(state, column));
    // Row nx - i lies at exactly -x(i), so rows above nx / 2 reuse their mirror.
    const int lastDirectRow = nx / 2;
    for (int row = 0; row <= lastDirectRow; ++row) {
        const Complex sum = SlitSum(coefficients.gaussExponent, RowPosition(state, row), parameters.slits, parameters.d);
        StorePsi(state, row, column, coefficients.columnFactor * sum);
    }
    for (int row = lastDirectRow + 1; row < nx; ++row) {
        const int mirror = nx - row;
        StorePsi(state, row, column, {state.psiField.Re(mirror)[column], state.psiField.Im(mirror)[column]});
    }
}

}  // namespace

double RowPosition(const SimulationState& state, double row)
{
    return (row - state.grid.nx * 0.5) * state.grid.dx / state.scaleX.Factor();
}

double ColumnPosition(const SimulationState& state, double column)
{
    return column * state.grid.dz / state.scaleZ.Factor() + state.parameters.zOffset;
}

void ComputeDensityGrid(SimulationState& state, ProgressSink& progress)
{
    RequireUsableSettings(state);
    state.parameters.UpdateDerived();
    ReshapeGrids(state);

    const ElapsedSeconds elapsed;
    const int nz = state.grid.nz;
    for (int column = 0; column < nz; ++column) {
        ComputeColumn(state, column);
        progress.Advance({ProgressKind::DensityColumns, static_cast<int>(column * 100LL / nz), elapsed()});
        if (state.stopRequested.load()) {
            break;
        }
    }
    state.densityField.Scale(DensityNormalisation(state.parameters));
}

}  // namespace nivaro
