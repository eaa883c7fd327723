#pragma once

#include "chart/ChartSeries.h"

namespace nivaro {

enum class PointerStyle { Rectangle, SmallDot };

// A trajectory in the 3D view: each point a marker in the series colour,
// consecutive points joined by the line pen, drawn after the marker.
class PointSeries3D : public XyzSeries {
public:
    static constexpr int kPointerSize = 4;

    DevicePen LinePen{0, 1, PenStyle::Solid};
    bool MarksVisible = true;
    bool PointerInflateMargins = true;
    PointerStyle PointerShape = PointerStyle::Rectangle;
    bool PointerVisible = true;

    void DrawAllValues(const SeriesPaintContext& context) override;
    int MarginPixels() const override;

private:
    void DrawValue(const SeriesPaintContext& context, int index, bool first);

    DevicePoint previous_{0, 0};
    int previousZ_ = 0;
};

}  // namespace nivaro
