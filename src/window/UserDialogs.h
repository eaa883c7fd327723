#pragma once

#include <QSize>

#include "window/SweepDialog.h"
#include <QString>
#include <optional>

class QWidget;

namespace nivaro {

// The questions and messages the window puts to the user; tests replace the
// message boxes with a recorder.
class UserDialogs {
public:
    enum class DzbAnswer { Abort, Retry, Ignore };

    // What the one save dialog shows for a command.
    struct SaveRequest {
        QString defaultSuffix;  // "jpg"
        QString filter;         // "JPG files (*.jpg)", several separated by ";;"
        QString folder;
    };

    virtual ~UserDialogs() = default;
    virtual void ShowError(const QString& text) = 0;
    virtual DzbAnswer AskAboutDzb() = 0;
    // Whether to start a computation estimated beyond the work limits; the
    // text describes the estimate ("about 28 minutes of computation and ...").
    virtual bool ConfirmLongWork(const QString& estimate) = 0;
    // The chosen file name with the default suffix added when none was
    // typed, or nothing when the user cancels.
    virtual std::optional<QString> AskSaveFileName(const SaveRequest& request) = 0;
    // A yes/no question whose safe answer is no.
    virtual bool Confirm(const QString& question) = 0;
    // The size of a picture export as a multiple of the view (1, 2 or 4), or
    // nothing when the user cancels; viewSize is the view's size in pixels.
    virtual std::optional<int> AskPictureScale(const QSize& viewSize) = 0;
    // A message that only informs (rich text allowed).
    virtual void ShowInformation(const QString& title, const QString& text) = 0;
    // The sweep to run, or nothing when the user cancels; folder is where
    // the animation goes by default.
    virtual std::optional<SweepRequest> AskSweep(const QString& folder) = 0;
};

class MessageBoxDialogs final : public UserDialogs {
public:
    explicit MessageBoxDialogs(QWidget* parent = nullptr) : parent_(parent) {}
    void SetParent(QWidget* parent) { parent_ = parent; }

    void ShowError(const QString& text) override;
    DzbAnswer AskAboutDzb() override;
    bool ConfirmLongWork(const QString& estimate) override;
    std::optional<QString> AskSaveFileName(const SaveRequest& request) override;
    bool Confirm(const QString& question) override;
    std::optional<int> AskPictureScale(const QSize& viewSize) override;
    void ShowInformation(const QString& title, const QString& text) override;
    std::optional<SweepRequest> AskSweep(const QString& folder) override;

private:
    QWidget* parent_;
};

}  // namespace nivaro
