#include <benchmark/benchmark.h>

#include <cstdio>
#include <memory>

#include "carpet/TableWriter.h"
#include "engine/DensityGrid.h"
#include "engine/SpectrumTransform.h"
#include "numeric/Fft2D.h"

namespace nivaro {
namespace {

// psi of the default settings on a 256 by 256 grid, the spectrum's input.
const ComplexGrid& SpectrumInput()
{
    static const std::unique_ptr<SimulationState> state = [] {
        auto computed = std::make_unique<SimulationState>();
        computed->grid.nx = computed->grid.nz = kSpectrumSize;
        SilentProgress progress;
        ComputeDensityGrid(*computed, progress, PsiKept::Whole);
        return computed;
    }();
    return state->psiField;
}

void CopyInto(const ComplexGrid& from, ComplexMatrixT& to)
{
    for (int r = 0; r < from.Rows(); ++r) {
        for (int c = 0; c < from.Cols(); ++c) {
            to.Re(r)[c] = from[r][c].real();
            to.Im(r)[c] = from[r][c].imag();
        }
    }
}

// The 2D transform with one twiddle table per length.
void BM_Spectrum(benchmark::State& run)
{
    ComplexMatrixT work(kSpectrumSize, kSpectrumSize);
    for (auto _ : run) {
        CopyInto(SpectrumInput(), work);
        Fft2D(work);
        benchmark::DoNotOptimize(work.Re(1)[1]);
    }
}

// Baseline: every row computes its twiddle factors anew.
void BM_SpectrumBaseline(benchmark::State& run)
{
    ComplexMatrixT work(kSpectrumSize, kSpectrumSize);
    for (auto _ : run) {
        CopyInto(SpectrumInput(), work);
        for (int pass = 0; pass < 2; ++pass) {
            for (int r = 0; r < kSpectrumSize; ++r) {
                FftRow(work.Re(r), work.Im(r), kSpectrumSize);
            }
            work.Transpose();
        }
        benchmark::DoNotOptimize(work.Re(1)[1]);
    }
}

const RealMatrixT& TableInput()
{
    static const std::unique_ptr<SimulationState> state = [] {
        auto computed = std::make_unique<SimulationState>();
        computed->grid.nx = computed->grid.nz = 2000;
        computed->parameters.slits = 20;
        SilentProgress progress;
        ComputeDensityGrid(*computed, progress);
        return computed;
    }();
    return state->densityField;
}

struct NullFile {
    std::FILE* stream = std::fopen("/dev/null", "w");
    ~NullFile() { std::fclose(stream); }
};

// The default table of a 2000 by 2000 grid: to_chars into a row buffer.
void BM_WriteTable(benchmark::State& run)
{
    const NullFile sink;
    for (auto _ : run) {
        WriteTable(sink.stream, TableInput());
    }
}

// Baseline: one fprintf and one fputc per value.
void BM_WriteTableBaseline(benchmark::State& run)
{
    const NullFile sink;
    const RealMatrixT& table = TableInput();
    for (auto _ : run) {
        for (int i = 0; i < table.Rows(); ++i) {
            for (int j = 0; j < table.Cols(); ++j) {
                std::fprintf(sink.stream, kDefaultValueFormat, table[i][j]);
                std::fputc('\t', sink.stream);
            }
            std::fputc('\n', sink.stream);
        }
    }
}

BENCHMARK(BM_Spectrum)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SpectrumBaseline)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WriteTable)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WriteTableBaseline)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace nivaro
