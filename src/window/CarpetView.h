#pragma once

#include <QImage>
#include <QPoint>
#include <QWidget>

namespace nivaro {

// The carpet picture at one screen pixel per grid point: row i of the
// picture is grid row i, column j is grid column j. It reports where the
// mouse hovers and where the left button is pressed, in picture pixels.
class CarpetView final : public QWidget {
    Q_OBJECT

public:
    explicit CarpetView(QWidget* parent = nullptr);

    void ShowPicture(QImage picture);
    // Forgets the picture, so that the next visit of the 2D page draws anew.
    void Clear();
    bool HasPicture() const { return !picture_.isNull(); }
    const QImage& Picture() const { return picture_; }

    QSize sizeHint() const override { return picture_.size(); }

signals:
    void hovered(QPoint pixel);
    void clicked(QPoint pixel);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    QImage picture_;
};

}  // namespace nivaro
