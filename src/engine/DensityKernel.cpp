// The density grid's inner loops, compiled once per instruction set and
// chosen at run time.
//
// Along a column, with x = x0 + r h, a slit term factors:
//   exp(A (x0 + c + r h)^2) = exp(A (x0 + c)^2) * exp(2 A h (x0 + c))^r * exp(A h^2 r^2),
// a seed and a ratio per slit and a factor all slits share. Each block of
// rows starts from freshly computed seeds, so rounding cannot grow beyond a
// block, and inside it every term costs one complex multiplication. The
// vector lanes hold neighbouring columns, so stores are contiguous in a row.
#undef HWY_TARGET_INCLUDE
#define HWY_TARGET_INCLUDE "engine/DensityKernel.cpp"
#include <hwy/foreach_target.h>  // IWYU pragma: keep

#include <hwy/contrib/math/math-inl.h>
#include <hwy/highway.h>

#include <algorithm>
#include <cmath>
#include <cstring>

#include "engine/DensityKernel.h"

#if defined(__SSE__)
#include <xmmintrin.h>
#endif

#ifndef NIVARO_DENSITY_KERNEL_ONCE
#define NIVARO_DENSITY_KERNEL_ONCE
namespace nivaro::kernel {

inline constexpr int kBlockRows = 32;
// Rows the recurrence advances together; blocks are computed in whole steps.
inline constexpr int kRowsAtOnce = 4;
inline constexpr int kBufferedRows = kBlockRows + kRowsAtOnce;
// Lanes of the widest vectors on any target this file is compiled for.
inline constexpr std::size_t kMaxLanes = 16;
// Terms whose exponent lies below this are far below the rounding of any
// term that matters; exponents are clamped to [kLowestExponent, kHighestExponent]
// so the vector functions stay on their fast paths.
inline constexpr double kNegligibleExponent = -600.0;
inline constexpr double kLowestExponent = -740.0;
inline constexpr double kHighestExponent = 700.0;

// Values that underflow within a block are flushed to zero instead of
// passing through the slow subnormal range; they are negligible anyway.
class FlushSubnormals {
public:
#if defined(__SSE__)
    FlushSubnormals() : saved_(_mm_getcsr()) { _mm_setcsr(saved_ | 0x8040); }
    ~FlushSubnormals() { _mm_setcsr(saved_); }

private:
    unsigned saved_;
#endif
};

// Within a block the factored terms grow away from the true ones by up to
// exp(|Re A| h^2 r^2), and their rounding grows with that exponent: blocks
// stay short enough to keep it below kLargestSwing. Returns 0 when even a
// few rows would exceed it, so that the tile is evaluated term by term.
inline constexpr double kLargestSwing = 32.0;
// The same bound for the seeds chained from slit to slit, whose rounding adds
// to the rows'.
inline constexpr double kLargestSeedSwing = 8.0;
inline constexpr int kFewestBlockRows = 4;

inline int RecurrentBlockRows(const DensityKernelInput& input, int firstColumn, int count)
{
    double steepest = 0.0;
    for (int column = firstColumn; column < firstColumn + count; ++column) {
        steepest = std::max(steepest, std::abs(input.gaussRe[static_cast<std::size_t>(column)]));
    }
    const double perRowSquared = steepest * input.rowSpacing * input.rowSpacing;
    if (!(perRowSquared * (kBlockRows - 1) * (kBlockRows - 1) > kLargestSwing)) {
        return kBlockRows;
    }
    const int rows = 1 + static_cast<int>(std::sqrt(kLargestSwing / perRowSquared));
    return rows >= kFewestBlockRows ? rows : 0;
}

// Scratch per thread: terms and ratios per slit, and the shared row factors
// of every lane group of a tile.
inline std::size_t ScratchSize(int slits)
{
    const std::size_t groups = kDensityTileColumns;
    return (4 * static_cast<std::size_t>(slits) + 2 * groups * kBufferedRows) * kMaxLanes;
}

}  // namespace nivaro::kernel
#endif

HWY_BEFORE_NAMESPACE();
namespace nivaro::HWY_NAMESPACE {
namespace hn = hwy::HWY_NAMESPACE;
namespace {

using D = hn::ScalableTag<double>;
using V = hn::Vec<D>;
static_assert(HWY_MAX_BYTES / sizeof(double) <= kernel::kMaxLanes);

// e^(re + i im), with the phase reduced to [-pi, pi] in three exact parts
// of 2 pi so that the polynomial sine and cosine stay accurate.
HWY_INLINE void ComplexExp(D d, V re, V im, V& outRe, V& outIm)
{
    const V twoPi1 = hn::Set(d, 6.28318548202514648438);
    const V twoPi2 = hn::Set(d, -1.74845553146951812834e-07);
    const V twoPi3 = hn::Set(d, 3.11180958485754935451e-15);
    const V turns = hn::Round(hn::Mul(im, hn::Set(d, 0.15915494309189533577)));
    V phase = hn::NegMulAdd(turns, twoPi1, im);
    phase = hn::NegMulAdd(turns, twoPi2, phase);
    phase = hn::NegMulAdd(turns, twoPi3, phase);
    re = hn::Min(hn::Max(re, hn::Set(d, kernel::kLowestExponent)), hn::Set(d, kernel::kHighestExponent));
    const V magnitude = hn::Exp(d, re);
    outRe = hn::Mul(magnitude, hn::Cos(d, phase));
    outIm = hn::Mul(magnitude, hn::Sin(d, phase));
}

HWY_INLINE void ComplexMul(V aRe, V aIm, V bRe, V bIm, V& outRe, V& outIm)
{
    outRe = hn::MulSub(aRe, bRe, hn::Mul(aIm, bIm));
    outIm = hn::MulAdd(aRe, bIm, hn::Mul(aIm, bRe));
}

struct LaneGroup {
    V aRe, aIm;          // A(z) of each lane's column
    V fRe, fIm;          // F(z)
    const double* rowFactors;  // F(z) exp(A h^2 r^2) for r < kBufferedRows: re, im per row
    V seedStepRe, seedStepIm;    // exp(2 A d^2): how a seed's factor changes from slit to slit
    V ratioStepRe, ratioStepIm;  // exp(2 A h d): how a ratio changes from slit to slit
};

struct Block {
    double x0;  // x of the block's first row
    double h;
    int rows;
};

// psi of one block term by term, for the tiles where even short blocks
// would let the factored terms swing too far.
void DirectBlock(D d, const LaneGroup& group, const Block& block, const std::vector<double>& offsets, double* psiRe,
                 double* psiIm)
{
    const std::size_t lanes = hn::Lanes(d);
    for (int r = 0; r < block.rows; ++r) {
        const double x = block.x0 + r * block.h;
        V sumRe = hn::Zero(d);
        V sumIm = hn::Zero(d);
        for (const double offset : offsets) {
            const V uu = hn::Set(d, (x + offset) * (x + offset));
            V termRe, termIm;
            ComplexExp(d, hn::Mul(group.aRe, uu), hn::Mul(group.aIm, uu), termRe, termIm);
            sumRe = hn::Add(sumRe, termRe);
            sumIm = hn::Add(sumIm, termIm);
        }
        V outRe, outIm;
        ComplexMul(group.fRe, group.fIm, sumRe, sumIm, outRe, outIm);
        hn::StoreU(outRe, d, psiRe + r * lanes);
        hn::StoreU(outIm, d, psiIm + r * lanes);
    }
}

HWY_INLINE void StoreTerm(D d, double* terms, std::size_t k, V seedRe, V seedIm, V ratioRe, V ratioIm)
{
    const std::size_t lanes = hn::Lanes(d);
    double* slot = terms + 4 * k * lanes;
    hn::StoreU(seedRe, d, slot);
    hn::StoreU(seedIm, d, slot + lanes);
    hn::StoreU(ratioRe, d, slot + 2 * lanes);
    hn::StoreU(ratioIm, d, slot + 3 * lanes);
}

// Where every slit term of the block's first row stays within
// exp(+-kLargestSeedSwing), the seeds and ratios follow from slit to slit:
//   seed(k + 1) = seed(k) q(k),  q(k) = exp(A (2 d u(k) + d^2)),  q(k + 1) = q(k) exp(2 A d^2),
//   ratio(k + 1) = ratio(k) exp(2 A h d),
// three exponentials per block instead of two per slit, with rounding that
// grows no further than the swing allows.
bool ChainSeeds(D d, const LaneGroup& group, const Block& block, const DensityKernelInput& input, double* terms)
{
    const std::vector<double>& offsets = input.slitOffsets;
    const double first = block.x0 + offsets.front();
    const double last = block.x0 + offsets.back();
    const V widest = hn::Set(d, std::max(first * first, last * last));
    if (!hn::AllFalse(d, hn::Gt(hn::Abs(hn::Mul(group.aRe, widest)), hn::Set(d, kernel::kLargestSeedSwing)))) {
        return false;
    }
    const double period = input.slitPeriod;
    V seedRe, seedIm, factorRe, factorIm, ratioRe, ratioIm;
    const V uu = hn::Set(d, first * first);
    ComplexExp(d, hn::Mul(group.aRe, uu), hn::Mul(group.aIm, uu), seedRe, seedIm);
    const V step = hn::Set(d, 2.0 * period * first + period * period);
    ComplexExp(d, hn::Mul(group.aRe, step), hn::Mul(group.aIm, step), factorRe, factorIm);
    const V twoHu = hn::Set(d, 2.0 * block.h * first);
    ComplexExp(d, hn::Mul(group.aRe, twoHu), hn::Mul(group.aIm, twoHu), ratioRe, ratioIm);
    for (std::size_t k = 0; k < offsets.size(); ++k) {
        StoreTerm(d, terms, k, seedRe, seedIm, ratioRe, ratioIm);
        ComplexMul(seedRe, seedIm, factorRe, factorIm, seedRe, seedIm);
        ComplexMul(factorRe, factorIm, group.seedStepRe, group.seedStepIm, factorRe, factorIm);
        ComplexMul(ratioRe, ratioIm, group.ratioStepRe, group.ratioStepIm, ratioRe, ratioIm);
    }
    return true;
}

// Seeds and ratios of every slit for one block. A seed below
// exp(kNegligibleExponent) belongs to a slit that adds nothing measurable
// anywhere in the block: with the block's swing bounded, a slit whose term
// reaches exp(-30) somewhere in the block has a seed above exp(-130). Such
// seeds are set to zero, and their ratios to one, so that nothing overflows.
void SeedBlock(D d, const LaneGroup& group, const Block& block, const DensityKernelInput& input, double* terms)
{
    if (ChainSeeds(d, group, block, input, terms)) {
        return;
    }
    const V negligible = hn::Set(d, kernel::kNegligibleExponent);
    for (std::size_t k = 0; k < input.slitOffsets.size(); ++k) {
        const double u0 = block.x0 + input.slitOffsets[k];
        const V seedExponent = hn::Mul(group.aRe, hn::Set(d, u0 * u0));
        const auto lost = hn::Lt(seedExponent, negligible);
        V seedRe, seedIm, ratioRe, ratioIm;
        ComplexExp(d, seedExponent, hn::Mul(group.aIm, hn::Set(d, u0 * u0)), seedRe, seedIm);
        const V twoHu = hn::Set(d, 2.0 * block.h * u0);
        ComplexExp(d, hn::Mul(group.aRe, twoHu), hn::Mul(group.aIm, twoHu), ratioRe, ratioIm);
        StoreTerm(d, terms, k, hn::IfThenZeroElse(lost, seedRe), hn::IfThenZeroElse(lost, seedIm),
                  hn::IfThenElse(lost, hn::Set(d, 1.0), ratioRe), hn::IfThenZeroElse(lost, ratioIm));
    }
}

// psi of one block by the recurrence. Each slit's term and ratio are loaded
// once per kRowsAtOnce rows, which then each add the term and advance it by
// the ratio; the block is computed in whole steps of kRowsAtOnce rows.
void RecurrentBlock(D d, const LaneGroup& group, const Block& block, std::size_t slits, double* terms, double* psiRe,
                    double* psiIm)
{
    const std::size_t lanes = hn::Lanes(d);
    constexpr int kRowsAtOnce = kernel::kRowsAtOnce;
    for (int first = 0; first < block.rows; first += kRowsAtOnce) {
        V sumRe[kRowsAtOnce];
        V sumIm[kRowsAtOnce];
        for (int r = 0; r < kRowsAtOnce; ++r) {
            sumRe[r] = hn::Zero(d);
            sumIm[r] = hn::Zero(d);
        }
        for (std::size_t k = 0; k < slits; ++k) {
            double* slot = terms + 4 * k * lanes;
            V termRe = hn::LoadU(d, slot);
            V termIm = hn::LoadU(d, slot + lanes);
            const V ratioRe = hn::LoadU(d, slot + 2 * lanes);
            const V ratioIm = hn::LoadU(d, slot + 3 * lanes);
            for (int r = 0; r < kRowsAtOnce; ++r) {
                sumRe[r] = hn::Add(sumRe[r], termRe);
                sumIm[r] = hn::Add(sumIm[r], termIm);
                ComplexMul(termRe, termIm, ratioRe, ratioIm, termRe, termIm);
            }
            hn::StoreU(termRe, d, slot);
            hn::StoreU(termIm, d, slot + lanes);
        }
        for (int r = 0; r < kRowsAtOnce; ++r) {
            const int row = first + r;
            const V factorRe = hn::LoadU(d, group.rowFactors + 2 * row * lanes);
            const V factorIm = hn::LoadU(d, group.rowFactors + (2 * row + 1) * lanes);
            V outRe, outIm;
            ComplexMul(factorRe, factorIm, sumRe[r], sumIm[r], outRe, outIm);
            hn::StoreU(outRe, d, psiRe + row * lanes);
            hn::StoreU(outIm, d, psiIm + row * lanes);
        }
    }
}

// F(z) exp(A h^2 r^2) for the rows of a block.
LaneGroup PrepareGroup(D d, const DensityKernelInput& input, int column, double* rowFactors)
{
    const std::size_t lanes = hn::Lanes(d);
    LaneGroup group{hn::LoadU(d, &input.gaussRe[column]),
                    hn::LoadU(d, &input.gaussIm[column]),
                    hn::LoadU(d, &input.factorRe[column]),
                    hn::LoadU(d, &input.factorIm[column]),
                    rowFactors,
                    hn::Zero(d),
                    hn::Zero(d),
                    hn::Zero(d),
                    hn::Zero(d)};
    const double h = input.rowSpacing;
    const V seedStep = hn::Set(d, 2.0 * input.slitPeriod * input.slitPeriod);
    ComplexExp(d, hn::Mul(group.aRe, seedStep), hn::Mul(group.aIm, seedStep), group.seedStepRe, group.seedStepIm);
    const V ratioStep = hn::Set(d, 2.0 * h * input.slitPeriod);
    ComplexExp(d, hn::Mul(group.aRe, ratioStep), hn::Mul(group.aIm, ratioStep), group.ratioStepRe, group.ratioStepIm);
    for (int r = 0; r < kernel::kBufferedRows; ++r) {
        const V hh = hn::Set(d, h * h * r * r);
        V gRe, gIm, outRe, outIm;
        ComplexExp(d, hn::Mul(group.aRe, hh), hn::Mul(group.aIm, hh), gRe, gIm);
        ComplexMul(group.fRe, group.fIm, gRe, gIm, outRe, outIm);
        hn::StoreU(outRe, d, rowFactors + 2 * r * lanes);
        hn::StoreU(outIm, d, rowFactors + (2 * r + 1) * lanes);
    }
    return group;
}

// Stores the valid lanes of v at row + column: whole vectors directly, the
// tile's last partial group through a buffer.
HWY_INLINE void StoreLanes(D d, V v, std::size_t valid, double* target)
{
    if (valid >= hn::Lanes(d)) {
        hn::StoreU(v, d, target);
        return;
    }
    HWY_ALIGN double lanes[kernel::kMaxLanes];
    hn::Store(v, d, lanes);
    std::memcpy(target, lanes, valid * sizeof(double));
}

// Adds the first `valid` lanes to the values at target.
HWY_INLINE void AddLanes(D d, V v, std::size_t valid, double* target)
{
    if (valid >= hn::Lanes(d)) {
        hn::StoreU(hn::Add(hn::LoadU(d, target), v), d, target);
        return;
    }
    HWY_ALIGN double lanes[kernel::kMaxLanes];
    hn::Store(v, d, lanes);
    for (std::size_t k = 0; k < valid; ++k) {
        target[k] += lanes[k];
    }
}

// The same for complex values, real and imaginary parts interleaved.
HWY_INLINE void StoreComplexLanes(D d, V re, V im, std::size_t valid, std::complex<double>* target)
{
    auto* parts = reinterpret_cast<double*>(target);
    if (valid >= hn::Lanes(d)) {
        hn::StoreInterleaved2(re, im, d, parts);
        return;
    }
    HWY_ALIGN double lanes[2 * kernel::kMaxLanes];
    hn::StoreInterleaved2(re, im, d, lanes);
    std::memcpy(parts, lanes, valid * 2 * sizeof(double));
}

// Writes the block's psi and density into its wanted rows and their mirrors.
void StoreBlock(D d, const DensityKernelInput& input, int firstRow, int rows, int column, std::size_t valid,
                const double* psiRe, const double* psiIm, const DensityKernelOutput& output)
{
    const std::size_t lanes = hn::Lanes(d);
    const int half = input.nx / 2;
    const V normalisation = hn::Set(d, input.normalisation);
    for (int r = 0; r < rows; ++r) {
        const V re = hn::LoadU(d, psiRe + r * lanes);
        const V im = hn::LoadU(d, psiIm + r * lanes);
        const int row = firstRow + r;
        const int mirror = input.nx - row;
        // Row nx - i lies at exactly -x(i); rows up to nx / 2 are computed.
        const int targets[] = {row, mirror};
        const int targetCount = (row > 0 && mirror > half && mirror < input.rowsWanted) ? 2 : 1;
        const int outputColumn = column - output.firstColumn;
        if (!output.psi.Empty()) {
            for (int t = 0; t < targetCount; ++t) {
                StoreComplexLanes(d, re, im, valid, output.psi.Row(targets[t]) + outputColumn);
            }
        }
        if (!output.density.Empty()) {
            const V norm = hn::Mul(hn::MulAdd(re, re, hn::Mul(im, im)), normalisation);
            for (int t = 0; t < targetCount; ++t) {
                double* target = output.density.Row(targets[t]) + outputColumn;
                output.addToDensity ? AddLanes(d, norm, valid, target) : StoreLanes(d, norm, valid, target);
            }
        }
    }
}

void ComputeTile(const DensityKernelInput& input, int firstColumn, int count, double* scratch,
                 const DensityKernelOutput& output)
{
    const D d;
    const std::size_t lanes = hn::Lanes(d);
    const std::size_t slits = input.slitOffsets.size();
    double* terms = scratch;
    double* rowFactors = terms + 4 * slits * kernel::kMaxLanes;
    HWY_ALIGN double psiRe[kernel::kBufferedRows * kernel::kMaxLanes];
    HWY_ALIGN double psiIm[kernel::kBufferedRows * kernel::kMaxLanes];

    LaneGroup groups[kDensityTileColumns];
    const int groupCount = static_cast<int>((static_cast<std::size_t>(count) + lanes - 1) / lanes);
    for (int g = 0; g < groupCount; ++g) {
        groups[g] = PrepareGroup(d, input, firstColumn + g * static_cast<int>(lanes),
                                 rowFactors + 2 * g * kernel::kBufferedRows * lanes);
    }
    const int recurrentRows = kernel::RecurrentBlockRows(input, firstColumn, count);
    const int blockRows = recurrentRows > 0 ? recurrentRows : kernel::kBlockRows;
    const int lastRow = std::min(input.nx / 2, input.rowsWanted - 1);
    for (int firstRow = 0; firstRow <= lastRow; firstRow += blockRows) {
        const Block block{input.firstRowX + firstRow * input.rowSpacing, input.rowSpacing,
                          std::min(blockRows, lastRow + 1 - firstRow)};
        for (int g = 0; g < groupCount; ++g) {
            const LaneGroup& group = groups[g];
            if (recurrentRows > 0) {
                SeedBlock(d, group, block, input, terms);
                RecurrentBlock(d, group, block, slits, terms, psiRe, psiIm);
            } else {
                DirectBlock(d, group, block, input.slitOffsets, psiRe, psiIm);
            }
            const int column = firstColumn + g * static_cast<int>(lanes);
            StoreBlock(d, input, firstRow, block.rows, column, static_cast<std::size_t>(firstColumn + count - column),
                       psiRe, psiIm, output);
        }
    }
}

}  // namespace
}  // namespace nivaro::HWY_NAMESPACE
HWY_AFTER_NAMESPACE();

#if HWY_ONCE
namespace nivaro {

HWY_EXPORT(ComputeTile);

DensityKernelScratch::DensityKernelScratch(int slits) : values_(kernel::ScratchSize(slits)) {}

void ComputeDensityTile(const DensityKernelInput& input, int firstColumn, int count, DensityKernelScratch& scratch,
                        const DensityKernelOutput& output)
{
    const kernel::FlushSubnormals flush;
    HWY_DYNAMIC_DISPATCH(ComputeTile)(input, firstColumn, count, scratch.Data(), output);
}

std::string VectorLibraryVersion()
{
    // Lower target bits are the wider instruction sets; dispatch takes the
    // lowest one both compiled in and supported by this processor.
    const std::int64_t usable = hwy::SupportedTargets() & HWY_TARGETS;
    const std::int64_t chosen = usable & -usable;
    return std::to_string(HWY_MAJOR) + "." + std::to_string(HWY_MINOR) + "." + std::to_string(HWY_PATCH) + " (" +
           hwy::TargetName(chosen) + " in use)";
}

}  // namespace nivaro
#endif
