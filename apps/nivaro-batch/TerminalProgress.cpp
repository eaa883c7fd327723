#include "TerminalProgress.h"

#include <string>

namespace nivaro {

void TerminalProgress::Show(const ProgressReport& report)
{
    constexpr int kWidth = 40;
    const int filled = report.percent * kWidth / 100;
    stream_ << "\rdensity [" << std::string(static_cast<std::size_t>(filled), '#')
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
