#pragma once

#include <QString>

class QWidget;

namespace nivaro {

// The questions and messages the window puts to the user; tests replace the
// message boxes with a recorder.
class UserDialogs {
public:
    enum class DzbAnswer { Abort, Retry, Ignore };

    virtual ~UserDialogs() = default;
    virtual void ShowError(const QString& text) = 0;
    virtual DzbAnswer AskAboutDzb() = 0;
};

class MessageBoxDialogs final : public UserDialogs {
public:
    explicit MessageBoxDialogs(QWidget* parent = nullptr) : parent_(parent) {}
    void SetParent(QWidget* parent) { parent_ = parent; }

    void ShowError(const QString& text) override;
    DzbAnswer AskAboutDzb() override;

private:
    QWidget* parent_;
};

}  // namespace nivaro
