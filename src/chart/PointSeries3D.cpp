#include "PointSeries3D.h"

#include <cstdint>

#include "ChartAxis.h"
#include "Canvas3D.h"

namespace nivaro {

int PointSeries3D::MarginPixels() const
{
    return PointerVisible && PointerInflateMargins ? kPointerSize + 1 : 0;
}

void PointSeries3D::DrawAllValues(const SeriesPaintContext& context)
{
    const bool forward = context.horizontal.Inverted == context.invertedRotation;
    bool first = true;
    for (int k = 0; k < Count(); ++k) {
        const int index = forward ? k : Count() - 1 - k;
        if (static_cast<std::int32_t>(GetValueColor(index)) >= static_cast<std::int32_t>(kNoColour)) {
            continue;  // not drawn, and the line joins the next drawn point to the last one
        }
        DrawValue(context, index, first);
        first = false;
    }
}

void PointSeries3D::DrawValue(const SeriesPaintContext& context, int index, bool first)
{
    Canvas3D& canvas = context.canvas;
    const Rgb colour = GetValueColor(index);
    const int middleZ = context.depth.CalcPosValue(ZValues()[index]);
    const int x = context.horizontal.CalcPosValue(XValues()[index]);
    const int y = context.vertical.CalcPosValue(YValues()[index]);
    if (PointerVisible) {
        canvas.SetBrush({colour, BrushStyle::Solid});
        if (PointerShape == PointerStyle::SmallDot) {
            canvas.SetPixel3D(x, y, middleZ, colour);
        } else {
            canvas.SetPen({0, 1, PenStyle::Solid});
            const DevicePoint corners[4] = {
                canvas.Calc3DPos(x - kPointerSize, y - kPointerSize, middleZ),
                canvas.Calc3DPos(x + kPointerSize, y - kPointerSize, middleZ),
                canvas.Calc3DPos(x + kPointerSize, y + kPointerSize, middleZ),
                canvas.Calc3DPos(x - kPointerSize, y + kPointerSize, middleZ),
            };
            canvas.Polygon(corners, 4);
        }
    }
    if (!first && LinePen.style != PenStyle::Clear) {
        canvas.SetPen(LinePen);
        canvas.MoveTo3D(previous_.x, previous_.y, previousZ_);
        canvas.LineTo3D(x, y, middleZ);
    }
    previous_ = {x, y};
    previousZ_ = middleZ;
}

}  // namespace nivaro
