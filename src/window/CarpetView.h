#pragma once

#include <QImage>
#include <QPoint>
#include <QPointF>
#include <QString>
#include <QWidget>
#include <optional>

namespace nivaro {

// What the picture's rows and columns mean: row r lies at x = xAtRow0 +
// r * xPerRow and column c at z = zAtColumn0 + c * zPerColumn, in the units
// the titles name.
struct CarpetAxes {
    double xAtRow0 = 0.0;
    double xPerRow = 1.0;
    double zAtColumn0 = 0.0;
    double zPerColumn = 1.0;
    QString xTitle = QStringLiteral("row");
    QString zTitle = QStringLiteral("column");
};

// The carpet picture with an x axis on the left, growing upwards (the
// picture's first row at the foot), and a z axis below. It opens
// fitted to the window; Ctrl+wheel, + and - zoom about the mouse or the
// middle, 1 shows one screen pixel per grid point, 0 fits again; the wheel
// and the middle button pan. It reports where the mouse hovers and where the
// left button is pressed, in picture pixels (row i is grid row i); with
// Shift held, the left button picks the column under the mouse instead.
class CarpetView final : public QWidget {
    Q_OBJECT

public:
    explicit CarpetView(QWidget* parent = nullptr);

    void ShowPicture(QImage picture);
    // Forgets the picture, so that the next visit of the 2D page draws anew.
    void Clear();
    bool HasPicture() const { return !picture_.isNull(); }
    const QImage& Picture() const { return picture_; }

    void SetAxes(const CarpetAxes& axes);
    // Smooth scaling instead of whole grid points when zoomed.
    void SetSmoothing(bool on);

    void FitToWindow();
    void ShowActualSize();
    void ZoomBy(double factor);
    double Zoom() const;
    bool Fitted() const { return fitted_; }

    // Where the middle of a picture pixel is in the widget, and back.
    QPoint WidgetPointOf(QPoint picturePixel) const;
    std::optional<QPoint> PicturePixelAt(QPointF widgetPoint) const;
    // The area the picture is drawn in, inside the axes.
    QRectF PlotArea() const;

signals:
    void hovered(QPoint pixel);
    void clicked(QPoint pixel);
    // Shift and the left button: a column chosen (for the ensemble's histogram).
    void columnPicked(int column);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    // Repaints, and reports the pixel now under the mouse.
    void ViewChanged();
    // x grows upwards: picture row r is shown as row height - 1 - r (and back).
    int ShownRow(int row) const;
    // The picture point at the plot area's top-left corner and the zoom, as
    // they are drawn now (fitted or as the user left them).
    QPointF Origin() const;
    void ZoomAbout(double factor, QPointF widgetPoint);
    // Keeps the picture in view: centred where it is smaller than the area.
    void ClampOrigin();
    void DrawAxes(class QPainter& painter, const QRectF& plot) const;

    QImage picture_;
    CarpetAxes axes_;
    bool smoothing_ = false;
    bool fitted_ = true;
    double zoom_ = 1.0;
    QPointF origin_;
    std::optional<QPointF> panFrom_;
    std::optional<QPointF> mouseAt_;  // while the mouse is over the view
};

}  // namespace nivaro
