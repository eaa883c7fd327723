#pragma once

#include <QColor>
#include <QString>
#include <QWidget>
#include <functional>

namespace nivaro {

// The palette of the surface against its values: a vertical bar from the
// lowest value (bottom) to the highest (top) with round values marked, and
// the quantity's name above it.
class ColourBar final : public QWidget {
    Q_OBJECT

public:
    explicit ColourBar(QWidget* parent = nullptr);

    void SetScale(std::function<QColor(double)> colourOf, double lowest, double highest, const QString& title);
    double Lowest() const { return lowest_; }
    double Highest() const { return highest_; }
    const QString& Title() const { return title_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    std::function<QColor(double)> colourOf_;
    double lowest_ = 0.0;
    double highest_ = 0.0;
    QString title_;
};

}  // namespace nivaro
