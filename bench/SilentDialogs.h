#pragma once

#include "window/UserDialogs.h"

namespace nivaro {

// Dialogs that answer at once, so that a benchmark's window never waits for
// a person: long work is accepted, everything else declined.
class SilentDialogs final : public UserDialogs {
public:
    void ShowError(const QString&) override {}
    DzbAnswer AskAboutDzb() override { return DzbAnswer::Ignore; }
    bool ConfirmLongWork(const QString&) override { return true; }
    std::optional<QString> AskSaveFileName(const SaveRequest&) override { return std::nullopt; }
    bool Confirm(const QString&) override { return false; }
    std::optional<int> AskPictureScale(const QSize&) override { return std::nullopt; }
    void ShowInformation(const QString&, const QString&) override {}
    std::optional<SweepRequest> AskSweep(const QString&) override { return std::nullopt; }
};

}  // namespace nivaro
