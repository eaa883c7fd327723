#pragma once

#include <ostream>

#include "engine/ProgressSink.h"

namespace nivaro {

// A one-line text progress bar, redrawn in place with a carriage return; a
// stage that ends, by the next stage or Finish, is shown full.
class TerminalProgress final : public ProgressSink {
public:
    explicit TerminalProgress(std::ostream& stream) : stream_(stream) {}
    // Shows the finished stage at 100 % and ends the bar's line, if one was
    // drawn; anything written after it starts on a line of its own.
    void Finish();

protected:
    void Show(const ProgressReport& report) override;

private:
    void Draw(const ProgressReport& report);
    void EndLine();

    std::ostream& stream_;
    bool drawn_ = false;
    ProgressReport shown_{ProgressKind::DensityColumns, 0, 0};
};

}  // namespace nivaro
