#include <gtest/gtest.h>

#include <atomic>
#include <climits>
#include <cmath>
#include <limits>
#include <stdexcept>
#include <vector>

#include "ExtendedPrecisionTracer.h"
#include "engine/DensityGrid.h"
#include "engine/PathTracer.h"
#include "engine/RegularTraces.h"
#include "engine/TrajectoryStarts.h"
#include "engine/WaveFunction.h"

namespace nivaro {
namespace {

// The state as a density computation leaves it: derived quantities current.
struct PreparedState : SimulationState {
    explicit PreparedState(int slits = 2)
    {
        parameters.slits = slits;
        parameters.UpdateDerived();
    }
};

std::vector<TracePosition> TraceAll(const SimulationState& state, double startRow, double step = 1.0,
                                    const std::atomic<bool>* stop = nullptr)
{
    std::vector<TracePosition> positions;
    TraceOnePath(PathTracer(state, {Integrator::Euler, step}), startRow,
                 [&](const TracePosition& p) { positions.push_back(p); }, stop);
    return positions;
}

TEST(BohmVelocity, VanishesAtTheGratingAndIsOddInX)
{
    const PreparedState state;
    const BohmVelocityField field(state);
    EXPECT_EQ(field.BohmVelocity(0.0, 110.0), 0.0L);
    for (const double row : {10.0, 101.3, 140.0}) {
        const long double w = field.BohmVelocity(80.0, row);
        EXPECT_NE(w, 0.0L);
        EXPECT_NEAR(static_cast<double>(field.BohmVelocity(80.0, 300.0 - row) / w), -1.0, 1e-12) << row;
    }
}

// The velocity by its definition: every slit term by its own exponential,
// sums and quotient in extended precision.
long double PerSlitVelocity(const SimulationState& state, double zAbs, double row)
{
    const SimulationParameters& p = state.parameters;
    const ColumnCoefficients column =
        ComputeColumnCoefficients(p, zAbs * state.grid.dz / state.scaleZ.Factor());
    const ExtendedComplex a{column.gaussExponent.real(), column.gaussExponent.imag()};
    const double x = (row - state.grid.nx * 0.5) * state.grid.dx / state.scaleX.Factor();
    ExtendedComplex sum{0.0L, 0.0L};
    ExtendedComplex weighted{0.0L, 0.0L};
    for (int k = 0; k < p.slits; ++k) {
        const long double u = x - (p.slits - 1) * 0.5L * p.d + k * static_cast<long double>(p.d);
        const ExtendedComplex e = Exp(a * (u * u));
        sum += e;
        weighted += u * e;
    }
    return Divide(a * weighted, sum).imag() * (-2.0L * 1.054571628e-34L / p.mass);
}

TEST(BohmVelocity, EqualsTheSumOverEverySlit)
{
    const struct {
        int slits;
        double sigma0;
        double zAbs;
    } settings[] = {{2, 2e-9, 40.0}, {3, 2e-9, 5.0}, {20, 2e-9, 150.0}, {41, 5e-9, 700.0}, {41, 2e-9, 30000.0},
                    {7, 8e-9, 2.0}};
    for (const auto& setting : settings) {
        PreparedState state(setting.slits);
        state.parameters.sigma0 = setting.sigma0;
        const BohmVelocityField field(state);
        // Rows across the grating, between slits and beyond its outer slits.
        for (const double row : {-400.0, 3.7, 101.25, 150.0, 187.5, 299.0, 800.0}) {
            const long double expected = PerSlitVelocity(state, setting.zAbs, row);
            const long double actual = field.BohmVelocity(setting.zAbs, row);
            EXPECT_NEAR(static_cast<double>(actual), static_cast<double>(expected),
                        1e-13 * std::abs(static_cast<double>(expected)) + 1e-12)
                << setting.slits << " slits, z " << setting.zAbs << ", row " << row;
        }
    }
}

// The vector velocity against the extended-precision sums on the same
// table, all points in one call; each point alone gives the same bits, so a
// path's value never depends on its neighbours in the lanes.
TEST(VectorVelocity, AgreesWithTheExtendedSumsAndDependsOnItsPointAlone)
{
    const struct {
        int slits;
        double sigma0;
        double zAbs;
    } settings[] = {{1, 2e-9, 60.0}, {2, 2e-9, 40.0}, {3, 2e-9, 5.0}, {20, 2e-9, 150.0}, {41, 5e-9, 700.0},
                    {41, 2e-9, 30000.0}, {7, 8e-9, 2.0}, {20, 2e-10, 90.0}};
    const std::vector<double> rows = {-400.0, 3.7, 101.25, 150.0, 187.5, 299.0, 800.0};
    for (const auto& setting : settings) {
        PreparedState state(setting.slits);
        state.parameters.sigma0 = setting.sigma0;
        const std::vector<double> columns(rows.size(), setting.zAbs);
        std::vector<double> together(rows.size());
        ComputeBohmVelocities(VelocityKernelInput(state), columns.data(), rows.data(), rows.size(), together.data());
        for (std::size_t k = 0; k < rows.size(); ++k) {
            const double expected = static_cast<double>(PerSlitVelocity(state, setting.zAbs, rows[k]));
            // Where the sums cancel, the error is measured against the
            // particle's own speed: it is what tilts a step.
            EXPECT_NEAR(together[k], expected, 1e-11 * std::abs(expected) + 1e-14 * state.parameters.velocity)
                << setting.slits << " slits, z " << setting.zAbs << ", row " << rows[k];
            double alone = 0.0;
            ComputeBohmVelocities(VelocityKernelInput(state), &columns[k], &rows[k], 1, &alone);
            EXPECT_EQ(alone, together[k]);
        }
    }
}

// Every regular path of the vector tracer against the same path of the
// extended-precision tracer, position by position. Not on grids whose
// carpet is finer than a pixel (twenty slits of sigma0 one row): there the
// Euler paths are chaotic, and a start moved in its fifteenth digit moves
// the extended tracer's own paths by whole pixels.
TEST(VectorTracer, FollowsTheExtendedPrecisionTracer)
{
    const struct {
        const char* name;
        int slits;
        double sigma0;
        double z0;
        const char* scaleX;
        const char* scaleZ;
    } settings[] = {{"one slit", 1, 2e-9, 0.0, "1", "1"},           {"two slits", 2, 2e-9, 0.0, "1", "1"},
                    {"twenty slits", 20, 2e-9, 0.0, "1", "1"},      {"41 slits", 41, 2e-9, 0.0, "1", "1"},
                    {"scaled", 2, 2e-9, 0.0, "2:1", "1:3"},         {"window at z0 = 1", 2, 2e-9, 1.0, "1", "1"},
                    {"sigma0 of one row", 2, 2e-10, 0.0, "1", "1"}};
    for (const auto& setting : settings) {
        PreparedState state(setting.slits);
        state.parameters.sigma0 = setting.sigma0;
        state.parameters.z0 = setting.z0;
        state.parameters.UpdateDerived();
        ASSERT_TRUE(state.scaleX.Parse(setting.scaleX) && state.scaleZ.Parse(setting.scaleZ));
        const std::vector<double> starts = RegularStartRows(state, 2.5);
        std::vector<std::vector<TracePosition>> vector(starts.size());
        PathTracer(state, {Integrator::Euler, 1.0}).Trace(starts, [&](int path, const TracePosition& p) {
            vector[static_cast<std::size_t>(path)].push_back(p);
        });
        const ExtendedPrecisionTracer reference(state);
        double largest = 0.0;
        for (std::size_t k = 0; k < starts.size(); ++k) {
            std::vector<TracePosition> expected;
            reference.Trace(starts[k], 1.0, [&](const TracePosition& p) { expected.push_back(p); });
            ASSERT_EQ(vector[k].size(), expected.size()) << setting.name << ", start " << starts[k];
            for (std::size_t i = 0; i < expected.size(); ++i) {
                largest = std::max({largest, std::abs(vector[k][i].row - expected[i].row),
                                    std::abs(vector[k][i].column - expected[i].column)});
            }
        }
        EXPECT_LT(largest, 1e-9) << setting.name;
    }
}

TEST(VectorTracer, RegularPathsAreTheSameOnAnyNumberOfThreads)
{
    for (const Integrator integrator : {Integrator::Euler, Integrator::Adaptive}) {
        PreparedState one(20);
        one.grid.integrator = integrator;
        one.threads = 1;
        PreparedState two(20);
        two.grid.integrator = integrator;
        two.threads = 2;
        const TrajectoryColumns a = CollectTrajectories(one);
        const TrajectoryColumns b = CollectTrajectories(two);
        EXPECT_GT(a.row.size(), 10000u);
        EXPECT_EQ(a.startRow, b.startRow);
        EXPECT_EQ(a.row, b.row);
        EXPECT_EQ(a.column, b.column);
    }
}

TEST(TraceTrajectory, FirstStepAtTheEntranceIsStraightAlongZ)
{
    const PreparedState state;
    const std::vector<TracePosition> positions = TraceAll(state, 110.5);
    ASSERT_GT(positions.size(), 2u);
    EXPECT_EQ(positions[0].step, 0);
    EXPECT_EQ(positions[1].row, 110.5);
    EXPECT_EQ(positions[1].column, 1.0);
    EXPECT_NE(positions[2].row, 110.5);
}

TEST(TraceTrajectory, WithAnOffsetWindowTheVelocityIsTakenAtTheAbsoluteColumn)
{
    PreparedState state;
    state.parameters.z0 = 1.0;
    state.parameters.UpdateDerived();
    const std::vector<TracePosition> positions = TraceAll(state, 110.5);
    const double w = static_cast<double>(BohmVelocityField(state).BohmVelocity(state.parameters.zOffset / state.grid.dz, 110.5));
    const double length = std::hypot(w, state.parameters.velocity);
    EXPECT_EQ(positions[1].row, 110.5 - w / length);
    EXPECT_NE(positions[1].row, 110.5);
}

TEST(TraceTrajectory, OddSlitCountKeepsTheAxisTrajectoryOnTheAxis)
{
    const PreparedState state(3);
    const std::vector<TracePosition> positions = TraceAll(state, 150.0);
    ASSERT_EQ(positions.size(), 300u);
    for (const TracePosition& p : positions) {
        ASSERT_EQ(p.row, 150.0) << p.step;
    }
}

// Relative deviation of the trace's last point from the analytic path
// x(z) = x0 sqrt(1 + (lambda z / (4 pi sigma0^2))^2) of a single slit.
double SingleSlitDeviation(const SimulationState& state, double startRow, double step)
{
    const SimulationParameters& p = state.parameters;
    const TracePosition last = TraceAll(state, startRow, step).back();
    const double spread = p.lambda * ColumnPosition(state, last.column) / (4 * 3.141592653589793 * p.sigma0 * p.sigma0);
    const double expected = RowPosition(state, startRow) * std::sqrt(1 + spread * spread);
    return RowPosition(state, last.row) / expected - 1.0;
}

TEST(TraceTrajectory, SingleSlitFollowsTheSpreadingPacketUpToTheEulerError)
{
    const PreparedState state(1);
    const double coarse = SingleSlitDeviation(state, 140.0, 1.0);
    const double fine = SingleSlitDeviation(state, 140.0, 0.1);
    EXPECT_LT(std::abs(coarse), 0.02);
    EXPECT_LT(std::abs(fine), std::abs(coarse) / 5) << "the error shrinks with the step";
    EXPECT_LT(TraceAll(state, 140.0).back().row, 140.0) << "bends away from the axis";
}

std::vector<TracePosition> TraceAdaptive(const SimulationState& state, double startRow, double tolerance)
{
    std::vector<TracePosition> positions;
    TraceOnePath(PathTracer(state, {Integrator::Adaptive, 1.0, tolerance}), startRow,
                 [&](const TracePosition& p) { positions.push_back(p); });
    return positions;
}

TEST(AdaptiveTracer, OneSlitFollowsTheSpreadingPacketAtEveryColumn)
{
    const PreparedState state(1);
    const SimulationParameters& p = state.parameters;
    for (const double tolerance : {1e-6, 1e-8}) {
        for (const double startRow : {140.0, 149.0, 149.9, 155.0}) {
            const std::vector<TracePosition> positions = TraceAdaptive(state, startRow, tolerance);
            ASSERT_EQ(positions.size(), 300u) << startRow;
            double largest = 0.0;
            for (std::size_t column = 0; column < positions.size(); ++column) {
                EXPECT_EQ(positions[column].column, static_cast<double>(column));
                EXPECT_EQ(positions[column].step, static_cast<int>(column));
                const double spread = p.lambda * ColumnPosition(state, static_cast<double>(column)) /
                                      (4 * 3.141592653589793 * p.sigma0 * p.sigma0);
                const double expected = 150.0 + (startRow - 150.0) * std::sqrt(1 + spread * spread);
                largest = std::max(largest, std::abs(positions[column].row - expected));
            }
            EXPECT_LT(largest, 10 * tolerance) << "start " << startRow << ", tolerance " << tolerance;
        }
    }
}

// drow / dcolumn of the extended-precision field, integrated by the classical
// Runge-Kutta method at a step of 1/50 column: an independent path.
std::vector<double> FineReferencePath(const SimulationState& state, double startRow)
{
    const BohmVelocityField field(state);
    const double slope = -state.scaleX.Factor() / (state.parameters.velocity * state.scaleZ.Factor());
    const auto f = [&](double column, double row) { return static_cast<double>(field.BohmVelocity(column, row)) * slope; };
    constexpr int kSubsteps = 50;
    const double h = 1.0 / kSubsteps;
    std::vector<double> rows{startRow};
    double row = startRow;
    for (int column = 0; column + 1 < state.grid.nz; ++column) {
        for (int s = 0; s < kSubsteps; ++s) {
            const double c = column + s * h;
            const double k1 = f(c, row);
            const double k2 = f(c + h / 2, row + h / 2 * k1);
            const double k3 = f(c + h / 2, row + h / 2 * k2);
            const double k4 = f(c + h, row + h * k3);
            row += h / 6 * (k1 + 2 * k2 + 2 * k3 + k4);
        }
        rows.push_back(row);
    }
    return rows;
}

TEST(AdaptiveTracer, AgreesWithAFineIndependentPathWhereEulerStepsDoNot)
{
    const PreparedState state;
    for (const double startRow : {110.5, 125.0, 135.0, 149.0}) {
        const std::vector<double> reference = FineReferencePath(state, startRow);
        const std::vector<TracePosition> adaptive = TraceAdaptive(state, startRow, kDefaultTolerance);
        ASSERT_LE(adaptive.size(), reference.size()) << startRow;
        double largest = 0.0;
        for (std::size_t column = 0; column < adaptive.size(); ++column) {
            largest = std::max(largest, std::abs(adaptive[column].row - reference[column]));
        }
        EXPECT_LT(largest, 1e-3) << "start " << startRow;
        if (adaptive.size() < reference.size()) {
            const double next = reference[adaptive.size()];
            EXPECT_TRUE(next < -1.5 || next > state.grid.nx + 1.5) << "left the rows with the reference: " << startRow;
        }
    }
    const std::vector<TracePosition> euler = TraceAll(state, 110.5);
    const std::vector<double> reference = FineReferencePath(state, 110.5);
    EXPECT_GT(std::abs(euler.back().row - reference[static_cast<std::size_t>(euler.back().roundedColumn)]), 0.01)
        << "the Euler step's error, for scale";
}

TEST(AdaptiveTracer, EndsAtTheLastColumnOrWhereItLeavesTheRows)
{
    PreparedState state;
    state.grid.nz = 1;
    EXPECT_EQ(TraceAdaptive(state, 120.0, 1e-6).size(), 1u);
    state.grid.nz = 300;
    state.grid.nx = 120;  // the outer paths of the two slits leave the rows
    const double starts[] = {5.0, 60.0};
    std::vector<int> lastColumn(2, -1);
    const std::vector<PathEnd> ends = PathTracer(state, {Integrator::Adaptive, 1.0, 1e-6})
                                          .Trace(starts, [&](int path, const TracePosition& p) {
                                              EXPECT_GE(p.roundedRow, -1);
                                              EXPECT_LE(p.roundedRow, 121);
                                              lastColumn[static_cast<std::size_t>(path)] = p.roundedColumn;
                                          });
    EXPECT_EQ(ends[0], PathEnd::LeftGrid);
    EXPECT_LT(lastColumn[0], 299);
    EXPECT_EQ(ends[1], PathEnd::ReachedEnd);
    EXPECT_EQ(lastColumn[1], 299);
}

TEST(TraceTrajectory, StopRulesAndTheToleratedRowsOutsideTheGrid)
{
    PreparedState state;
    state.grid.nz = 40;
    EXPECT_TRUE(TraceAll(state, -1.6).empty()) << "row -2 stops at once";
    EXPECT_TRUE(TraceAll(state, 301.6).empty()) << "row nx + 2 stops at once";

    const std::vector<TracePosition> outside = TraceAll(state, -1.4);
    ASSERT_FALSE(outside.empty());
    EXPECT_EQ(outside[0].roundedRow, -1);
    EXPECT_FALSE(outside[0].inGrid);

    const std::vector<TracePosition> bent = TraceAll(state, 120.0);
    EXPECT_GE(bent.size(), 40u) << "z grows by at most one step length";
    for (const TracePosition& p : bent) {
        EXPECT_LT(p.roundedColumn, 40);
        EXPECT_TRUE(p.inGrid);
    }
    PreparedState axis(3);
    axis.grid.nz = 40;
    EXPECT_EQ(TraceAll(axis, 150.0).size(), 40u) << "straight along z: one position per column";
    EXPECT_EQ(TraceAll(axis, 150.0, 0.5).size(), 79u) << "column 39.5 rounds to 40 and ends the trace";
}

TEST(TraceTrajectory, PollingTracesStopAfterTheFirstStepOnceAStopIsRequested)
{
    const PreparedState state(3);
    std::atomic<bool> stop{true};
    EXPECT_EQ(TraceAll(state, 150.0, 1.0, &stop).size(), 1u);
    EXPECT_EQ(TraceAll(state, 150.0, 1.0, nullptr).size(), 300u);
}

TEST(TraceTrajectory, StepsAndTolerancesThatCouldNeverEndAreRefused)
{
    const PreparedState state;
    for (const double step : {0.0, -1.0, std::numeric_limits<double>::infinity(), std::nan("")}) {
        EXPECT_THROW(PathTracer(state, {Integrator::Euler, step}), std::invalid_argument) << step;
        EXPECT_THROW(PathTracer(state, {Integrator::Adaptive, 1.0, step}), std::invalid_argument) << step;
    }
    SimulationState unprepared;
    unprepared.parameters.velocity = std::numeric_limits<double>::infinity();
    EXPECT_THROW(PathTracer(unprepared, {}), std::invalid_argument);
}

TEST(TraceTrajectory, CellActionsSeeOnlyRowsInsideTheGrid)
{
    PreparedState state;
    state.grid.nz = 10;
    int cells = 0;
    TraceOnePath(PathTracer(state, {}), -1.0, OnGridCells(state.grid.nx, [&](int row, int) {
                     EXPECT_GE(row, 0);
                     ++cells;
                 }));
    EXPECT_EQ(cells, 0);
}

// A path that climbs several rows from one column to the next (adaptive
// steps give one position a column) is drawn without gaps.
TEST(PathCells, JoinTheRowsBetweenPositionsAndSkipThoseOutsideTheGrid)
{
    const auto at = [](int row, int column) { return TracePosition{0, 0.0, 0.0, row, column, true}; };
    PathCells cells(10);
    std::vector<std::pair<int, int>> seen;
    const auto record = [&](int row, int column) { seen.emplace_back(row, column); };
    for (const TracePosition& position : {at(-1, 0), at(3, 1), at(3, 2), at(0, 3), at(9, 4), at(11, 5)}) {
        cells.Add(position, record);
    }
    const std::vector<std::pair<int, int>> expected = {
        {0, 0}, {1, 1}, {2, 1}, {3, 1}, {3, 2}, {2, 2}, {1, 3}, {0, 3}, {1, 3}, {2, 3}, {3, 3},
        {4, 3}, {5, 4}, {6, 4}, {7, 4}, {8, 4}, {9, 4}};
    EXPECT_EQ(seen, expected);
}

TEST(RoundToGridIndex, RoundsHalfToEvenAndSaturates)
{
    const std::pair<double, int> cases[] = {
        {2.5, 2}, {3.5, 4}, {-0.5, 0}, {-1.5, -2}, {149.49, 149},
        {1e12, INT_MAX}, {-1e12, INT_MIN}, {std::numeric_limits<double>::infinity(), INT_MAX},
        {-std::numeric_limits<double>::infinity(), INT_MIN}, {std::nan(""), INT_MAX},
    };
    for (const auto& [value, expected] : cases) {
        EXPECT_EQ(RoundToGridIndex(value), expected) << value;
    }
}

TEST(TrajectoryStarts, RegularStartsLieInsideTheOpenings)
{
    const SimulationState state;
    const std::vector<double> carpet = RegularStartRows(state, state.grid.dxb);
    ASSERT_EQ(carpet.size(), 99u);
    EXPECT_EQ(carpet.front(), 100.5);
    EXPECT_EQ(carpet.back(), 149.5);

    const std::vector<double> surface = RegularStartRows(state, state.grid.decimationX * state.grid.dxb);
    ASSERT_EQ(surface.size(), 24u);
    EXPECT_EQ(surface.front(), 102.0);
    EXPECT_EQ(surface.back(), 148.0);

    SimulationState closed;
    closed.parameters.slitWidth = 0.0;
    EXPECT_TRUE(RegularStartRows(closed, 0.5).empty());
    EXPECT_THROW(RegularStartRows(state, 0.0), std::invalid_argument);
}

TEST(TrajectoryStarts, SlitTestUsesTheIntegerHalfOfTheGrid)
{
    SimulationState state;
    state.grid.nx = 301;  // x of row 150 is 0 for the test, not -0.5 dx
    state.parameters.slits = 1;
    state.parameters.slitWidth = 4e-10;  // open from row 149 to row 151, not 149.5 to 151.5
    EXPECT_TRUE(PassesSlitTest(state, 150.0));
    EXPECT_TRUE(PassesSlitTest(state, 149.2));
    EXPECT_FALSE(PassesSlitTest(state, 151.0));
    EXPECT_FALSE(PassesSlitTest(state, 151.2));
}

TEST(TrajectoryStarts, DataFilePositionsInUnitsOfD)
{
    SimulationState state;
    EXPECT_EQ(StartRowOfPosition(state, 0.5), 175.0);
    EXPECT_EQ(StartRowOfPosition(state, -1.5), 75.0);
    EXPECT_EQ(StartRowOfPosition(state, 0.0), 150.0);
    ASSERT_TRUE(state.scaleX.Parse("2:1"));
    EXPECT_EQ(StartRowOfPosition(state, 0.5), 200.0);
}

}  // namespace
}  // namespace nivaro
