#pragma once

#include <functional>

namespace nivaro {

// The view angles, zoom and offsets of the 3D projection. Every setter
// stores a changed value and asks the owner to repaint.
class ViewOptions3D {
public:
    explicit ViewOptions3D(std::function<void()> repaint = {}) : repaint_(std::move(repaint)) {}

    int Elevation() const { return Rounded(elevation_); }
    int Rotation() const { return Rounded(rotation_); }
    int Zoom() const { return Rounded(zoom_); }
    double ElevationValue() const { return elevation_; }
    double RotationValue() const { return rotation_; }
    int Perspective() const { return perspective_; }
    int Tilt() const { return tilt_; }
    int HorizOffset() const { return horizOffset_; }
    int VertOffset() const { return vertOffset_; }
    int FontZoom() const { return fontZoom_; }
    int OrthoAngle() const { return orthoAngle_; }
    bool Orthogonal() const { return orthogonal_; }
    bool ZoomText() const { return zoomText_; }

    void SetElevation(double value) { Change(elevation_, value); }
    void SetRotation(double value) { Change(rotation_, value); }
    void SetZoom(double value) { Change(zoom_, value); }
    // Values above 100 are stored as 100.
    void SetPerspective(int value) { Change(perspective_, value > 100 ? 100 : value); }
    void SetTilt(int value) { Change(tilt_, value); }
    void SetHorizOffset(int value) { Change(horizOffset_, value); }
    void SetVertOffset(int value) { Change(vertOffset_, value); }
    void SetFontZoom(int value) { Change(fontZoom_, value); }
    void SetOrthoAngle(int value) { Change(orthoAngle_, value); }
    void SetOrthogonal(bool value) { Change(orthogonal_, value); }
    void SetZoomText(bool value) { Change(zoomText_, value); }

    // 1 for the rotated view; tan of the oblique angle otherwise.
    double CalcOrthoRatio() const;

private:
    static int Rounded(double value);

    template <typename Value>
    void Change(Value& field, Value value)
    {
        if (field != value) {
            field = value;
            if (repaint_) {
                repaint_();
            }
        }
    }

    std::function<void()> repaint_;
    double elevation_ = 345.0;
    double rotation_ = 345.0;
    double zoom_ = 100.0;
    int perspective_ = 15;
    int tilt_ = 0;
    int horizOffset_ = 0;
    int vertOffset_ = 0;
    int fontZoom_ = 100;
    int orthoAngle_ = 45;
    bool orthogonal_ = true;
    bool zoomText_ = true;
};

}  // namespace nivaro
