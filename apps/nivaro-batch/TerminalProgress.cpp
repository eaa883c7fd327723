#include "TerminalProgress.h"

#include <string>

namespace nivaro {
namespace {

const char* KindLabel(ProgressKind kind)
{
    switch (kind) {
    case ProgressKind::DensityColumns:
        return "density ";
    case ProgressKind::CarpetDataFileStarts:
    case ProgressKind::CarpetRegularStarts:
        return "carpet  ";
    case ProgressKind::EnsembleTrajectories:
        return "ensemble";
    case ProgressKind::QuantumPotentialColumns:
        return "Q       ";
    case ProgressKind::SweepFrames:
        return "sweep   ";
    }
    return "";
}

}  // namespace

void TerminalProgress::Show(const ProgressReport& report)
{
    constexpr int kWidth = 40;
    if (drawn_ && report.kind != shownKind_) {
        stream_ << '\n';
    }
    shownKind_ = report.kind;
    const int filled = report.percent * kWidth / 100;
    const char* label = KindLabel(report.kind);
    stream_ << '\r' << label << " [" << std::string(static_cast<std::size_t>(filled), '#')
            << std::string(static_cast<std::size_t>(kWidth - filled), '.') << "] " << report.percent << "%  "
            << report.elapsedSeconds << " s" << std::flush;
    drawn_ = true;
}

void TerminalProgress::Finish()
{
    if (drawn_) {
        stream_ << '\n' << std::flush;
        drawn_ = false;
    }
}

}  // namespace nivaro
