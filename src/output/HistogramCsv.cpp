#include "HistogramCsv.h"

#include <cstdio>

#include "engine/SettingsValidation.h"

namespace nivaro {

std::string HistogramCsv(const EnsembleHistogram& histogram)
{
    std::string text = "x_m,ensemble,density\n";
    for (std::size_t b = 0; b < histogram.counts.size(); ++b) {
        text += ShortestText(histogram.centres[b]) + ',' + std::to_string(histogram.counts[b]) + ',' +
                ShortestText(histogram.density[b]) + '\n';
    }
    return text;
}

std::string HistogramSummary(const EnsembleHistogram& histogram)
{
    char text[256];
    const double half = histogram.binWidth * static_cast<double>(histogram.counts.size()) / 2;
    const double middle = histogram.centres.empty() ? 0.0 : (histogram.centres.front() + histogram.centres.back()) / 2;
    std::snprintf(text, sizeof text,
                  "total variation distance %.4f at column %d (x from %.1f to %.1f nm): %lld trajectories counted, "
                  "%lld left the grid, %lld stopped",
                  histogram.totalVariation, histogram.column, (middle - half) * 1e9, (middle + half) * 1e9,
                  histogram.counted, histogram.leftGrid, histogram.stopped);
    return text;
}

std::string EscapeSummary(const EnsembleHistogram& histogram)
{
    char text[200];
    std::snprintf(text, sizeof text,
                  "outside the grid: %.2f %% of the paths, %.2f %% of |psi|^2; distance over the whole line %.4f",
                  histogram.escapedShare * 100, histogram.outsideWeight * 100, histogram.wholeLineVariation);
    return text;
}

}  // namespace nivaro
