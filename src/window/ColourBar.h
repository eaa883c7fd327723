#pragma once

#include <QWidget>

#include "figure/Figure.h"

namespace nivaro {

// The colours of the view against their values, drawn as a figure's colour
// scale is: lowest at the bottom, round values marked, the quantity's name
// above, and a note with a flat band when values were clipped.
class ColourBar final : public QWidget {
    Q_OBJECT

public:
    explicit ColourBar(QWidget* parent = nullptr);

    void SetScale(FigureColourScale scale);
    const FigureColourScale& Scale() const { return scale_; }
    double Lowest() const { return scale_.lowest; }
    double Highest() const { return scale_.highest; }
    QString Title() const { return QString::fromStdString(scale_.title); }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    FigureColourScale scale_;
};

}  // namespace nivaro
