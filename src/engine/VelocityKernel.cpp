// The Bohmian velocity of many points at once, one point per vector lane,
// compiled once per instruction set and chosen at run time.
//
// W = -2 hbar / m * Im(A sum(u e^(A u^2)) / sum(e^(A u^2))), the sums running
// outward from each lane's nearest slit: its term is taken as 1 and every
// further term follows from its neighbour by a factor that itself changes by
// the constant e^(2 A d^2) from slit to slit. Three exponentials per point
// whatever the number of slits.
#undef HWY_TARGET_INCLUDE
#define HWY_TARGET_INCLUDE "engine/VelocityKernel.cpp"
#include <hwy/foreach_target.h>  // IWYU pragma: keep

#include <hwy/contrib/math/math-inl.h>
#include <hwy/highway.h>

#include <algorithm>

#include "engine/PhysicalConstants.h"
#include "engine/VelocityKernel.h"

#ifndef NIVARO_VELOCITY_KERNEL_ONCE
#define NIVARO_VELOCITY_KERNEL_ONCE
namespace nivaro::velocity {

// Lanes of the widest vectors on any target this file is compiled for.
inline constexpr std::size_t kMaxLanes = 16;
// Exponents are clamped to this range so that the vector exponential stays
// on its fast path; every factor a walk uses has a real exponent of at most
// zero, and below the lower bound a term is far below rounding.
inline constexpr double kLowestExponent = -740.0;
inline constexpr double kHighestExponent = 700.0;
// A walk stops where its term's squared magnitude falls below this, relative
// to the nearest slit's 1; outward the terms only get smaller.
inline constexpr double kNegligibleNorm = 1e-80;

}  // namespace nivaro::velocity
#endif

HWY_BEFORE_NAMESPACE();
namespace nivaro::HWY_NAMESPACE {
namespace hn = hwy::HWY_NAMESPACE;
namespace {

using D = hn::ScalableTag<double>;
using V = hn::Vec<D>;
using M = hn::Mask<D>;
static_assert(HWY_MAX_BYTES / sizeof(double) <= velocity::kMaxLanes);

struct ComplexV {
    V re;
    V im;
};

HWY_INLINE ComplexV Mul(const ComplexV& a, const ComplexV& b)
{
    return {hn::MulSub(a.re, b.re, hn::Mul(a.im, b.im)), hn::MulAdd(a.re, b.im, hn::Mul(a.im, b.re))};
}

// e^(A w) for a real w. The phase is reduced exactly to [-pi/4, pi/4] by
// quarter turns in three parts (the first two short enough that their
// products with the turn count are exact), so that the vector sine and cosine work on
// the range where they are most accurate; the quarter turns then swap and
// negate the two.
HWY_INLINE ComplexV ExpOf(D d, const ComplexV& a, V w)
{
    const V quarter1 = hn::Set(d, 1.5707963705062866);
    const V quarter2 = hn::Set(d, -4.371138828673793e-08);
    const V quarter3 = hn::Set(d, -1.7151244994428829e-15);
    const V im = hn::Mul(a.im, w);
    const V turns = hn::Round(hn::Mul(im, hn::Set(d, 0.63661977236758134308)));
    V phase = hn::NegMulAdd(turns, quarter1, im);
    phase = hn::NegMulAdd(turns, quarter2, phase);
    phase = hn::NegMulAdd(turns, quarter3, phase);
    // turns modulo 4 as 0, 1, 2 or 3, exactly.
    const V four = hn::Set(d, 4.0);
    const V quadrant = hn::NegMulAdd(four, hn::Floor(hn::Mul(turns, hn::Set(d, 0.25))), turns);
    const V sine = hn::Sin(d, phase);
    const V cosine = hn::Cos(d, phase);
    const M odd = hn::Eq(hn::Sub(quadrant, hn::Mul(hn::Set(d, 2.0), hn::Floor(hn::Mul(quadrant, hn::Set(d, 0.5))))),
                         hn::Set(d, 1.0));
    const M cosineNegative = hn::And(hn::Ge(quadrant, hn::Set(d, 1.0)), hn::Le(quadrant, hn::Set(d, 2.0)));
    const M sineNegative = hn::Ge(quadrant, hn::Set(d, 2.0));
    const V cos = hn::IfThenElse(odd, sine, cosine);
    const V sin = hn::IfThenElse(odd, cosine, sine);
    const V re = hn::Min(hn::Max(hn::Mul(a.re, w), hn::Set(d, velocity::kLowestExponent)),
                         hn::Set(d, velocity::kHighestExponent));
    const V magnitude = hn::Exp(d, re);
    return {hn::Mul(magnitude, hn::IfThenElse(cosineNegative, hn::Neg(cos), cos)),
            hn::Mul(magnitude, hn::IfThenElse(sineNegative, hn::Neg(sin), sin))};
}

struct Sums {
    ComplexV sum;
    ComplexV weighted;
};

// Adds the terms of `count` slits (per lane) beyond the anchor in one
// direction, stopping each lane where its terms have faded.
HWY_INLINE void AddOutward(D d, V count, V direction, V anchorU, double period, ComplexV factor, const ComplexV& slitStep,
                           Sums& sums)
{
    ComplexV term{hn::Set(d, 1.0), hn::Zero(d)};
    V u = anchorU;
    const V step = hn::Mul(direction, hn::Set(d, period));
    const V one = hn::Set(d, 1.0);
    V walked = hn::Zero(d);
    M active = hn::Lt(walked, count);
    while (!hn::AllFalse(d, active)) {
        term = Mul(term, factor);
        factor = Mul(factor, slitStep);
        u = hn::Add(u, step);
        walked = hn::Add(walked, one);
        sums.sum.re = hn::Add(sums.sum.re, hn::IfThenElseZero(active, term.re));
        sums.sum.im = hn::Add(sums.sum.im, hn::IfThenElseZero(active, term.im));
        sums.weighted.re = hn::Add(sums.weighted.re, hn::IfThenElseZero(active, hn::Mul(u, term.re)));
        sums.weighted.im = hn::Add(sums.weighted.im, hn::IfThenElseZero(active, hn::Mul(u, term.im)));
        const V norm = hn::MulAdd(term.re, term.re, hn::Mul(term.im, term.im));
        active = hn::And(active, hn::And(hn::Lt(walked, count), hn::Not(hn::Lt(norm, hn::Set(d, velocity::kNegligibleNorm)))));
    }
}

V VelocityOfLanes(D d, const VelocityKernelInput& input, V column, V row)
{
    // A(z) = -0.25 / (sigma0 (sigma0 + i t)).
    const double sigma0 = input.sigma0;
    const V z = hn::Mul(hn::Add(column, hn::Set(d, input.columnOffset)), hn::Set(d, input.zPerColumn));
    const V t = hn::Mul(z, hn::Set(d, input.widthGrowth));
    const V widthSquared = hn::MulAdd(t, t, hn::Set(d, sigma0 * sigma0));
    const V aRe = hn::Div(hn::Set(d, -0.25), widthSquared);
    const ComplexV a{aRe, hn::Neg(hn::Div(hn::Mul(aRe, t), hn::Set(d, sigma0)))};

    const int slits = input.slits;
    const double period = input.d;
    const V x = hn::Mul(hn::Sub(row, hn::Set(d, input.centreRow)), hn::Set(d, input.xPerRow));
    const V first = hn::Sub(x, hn::Set(d, (slits - 1) * 0.5 * period));
    const V unclamped = hn::Round(hn::Min(hn::Max(hn::Div(hn::Neg(first), hn::Set(d, period)), hn::Set(d, -1.0)),
                                          hn::Set(d, static_cast<double>(slits))));
    const V nearest = hn::Min(hn::Max(unclamped, hn::Zero(d)), hn::Set(d, slits - 1.0));
    const V anchorU = hn::MulAdd(nearest, hn::Set(d, period), first);

    Sums sums{{hn::Set(d, 1.0), hn::Zero(d)}, {anchorU, hn::Zero(d)}};
    if (slits > 1) {
        const V periodSquared = hn::Set(d, period * period);
        const ComplexV slitStep = ExpOf(d, a, hn::Add(periodSquared, periodSquared));
        const V twoDU = hn::Mul(hn::Set(d, 2.0 * period), anchorU);
        AddOutward(d, hn::Sub(hn::Set(d, slits - 1.0), nearest), hn::Set(d, 1.0), anchorU, period,
                   ExpOf(d, a, hn::Add(periodSquared, twoDU)), slitStep, sums);
        AddOutward(d, nearest, hn::Set(d, -1.0), anchorU, period, ExpOf(d, a, hn::Sub(periodSquared, twoDU)), slitStep,
                   sums);
    }
    // Im(A weighted / sum) = Im(A weighted conj(sum)) / |sum|^2.
    const ComplexV numerator = Mul(a, sums.weighted);
    const V imagOfProduct = hn::MulSub(numerator.im, sums.sum.re, hn::Mul(numerator.re, sums.sum.im));
    const V sumNorm = hn::MulAdd(sums.sum.re, sums.sum.re, hn::Mul(sums.sum.im, sums.sum.im));
    return hn::Mul(hn::Div(imagOfProduct, sumNorm), hn::Set(d, input.velocityFactor));
}

void Velocities(const VelocityKernelInput& input, const double* columns, const double* rows, std::size_t count,
                double* velocities)
{
    const D d;
    const std::size_t lanes = hn::Lanes(d);
    std::size_t i = 0;
    for (; i + lanes <= count; i += lanes) {
        hn::StoreU(VelocityOfLanes(d, input, hn::LoadU(d, columns + i), hn::LoadU(d, rows + i)), d, velocities + i);
    }
    if (i < count) {
        // The last points go through a whole vector too, so that a point's
        // value never depends on where it falls in the arrays.
        const std::size_t rest = count - i;
        HWY_ALIGN double restColumns[velocity::kMaxLanes] = {};
        HWY_ALIGN double restRows[velocity::kMaxLanes] = {};
        HWY_ALIGN double restVelocities[velocity::kMaxLanes];
        std::copy_n(columns + i, rest, restColumns);
        std::copy_n(rows + i, rest, restRows);
        hn::Store(VelocityOfLanes(d, input, hn::Load(d, restColumns), hn::Load(d, restRows)), d, restVelocities);
        std::copy_n(restVelocities, rest, velocities + i);
    }
}

}  // namespace
}  // namespace nivaro::HWY_NAMESPACE
HWY_AFTER_NAMESPACE();

#if HWY_ONCE
namespace nivaro {

HWY_EXPORT(Velocities);

VelocityKernelInput::VelocityKernelInput(const SimulationState& state)
    : slits(state.parameters.slits),
      d(state.parameters.d),
      sigma0(state.parameters.sigma0),
      widthGrowth(state.parameters.lambda / (kFourPi * state.parameters.sigma0)),
      zPerColumn(state.grid.dz / state.scaleZ.Factor()),
      columnOffset(state.parameters.zOffset * state.scaleZ.Factor() / state.grid.dz),
      xPerRow(state.grid.dx / state.scaleX.Factor()),
      centreRow(state.grid.nx * 0.5),
      velocityFactor(kHbar / state.parameters.mass * -2.0)
{
}

void ComputeBohmVelocities(const VelocityKernelInput& input, const double* columns, const double* rows,
                           std::size_t count, double* velocities)
{
    HWY_DYNAMIC_DISPATCH(Velocities)(input, columns, rows, count, velocities);
}

}  // namespace nivaro
#endif
