#pragma once

#include <ostream>

#include "engine/ProgressSink.h"

namespace nivaro {

// A one-line text progress bar, redrawn in place with a carriage return.
class TerminalProgress final : public ProgressSink {
public:
    explicit TerminalProgress(std::ostream& stream) : stream_(stream) {}
    // Ends the bar's line if one was drawn.
    void Finish();

protected:
    void Show(const ProgressReport& report) override;

private:
    std::ostream& stream_;
    bool drawn_ = false;
    ProgressKind shownKind_ = ProgressKind::DensityColumns;
};

}  // namespace nivaro
