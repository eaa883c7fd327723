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
    if (drawn_ && report.kind != shown_.kind) {
        EndLine();
    }
    Draw(report);
}

void TerminalProgress::Draw(const ProgressReport& report)
{
    constexpr int kWidth = 40;
    const int filled = report.percent * kWidth / 100;
    stream_ << '\r' << KindLabel(report.kind) << " [" << std::string(static_cast<std::size_t>(filled), '#')
            << std::string(static_cast<std::size_t>(kWidth - filled), '.') << "] " << report.percent << "%  "
            << report.elapsedSeconds << " s" << std::flush;
    shown_ = report;
    drawn_ = true;
}

void TerminalProgress::EndLine()
{
    if (shown_.percent < 100) {
        Draw({shown_.kind, 100, shown_.elapsedSeconds});
    }
    stream_ << '\n' << std::flush;
    drawn_ = false;
}

void TerminalProgress::Finish()
{
    if (drawn_) {
        EndLine();
    }
}

}  // namespace nivaro
