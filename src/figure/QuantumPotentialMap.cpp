#include "QuantumPotentialMap.h"

#include <algorithm>
#include <cmath>

#include "platform/QPainterDevice.h"

namespace nivaro {

DivergingMap::DivergingMap(ValueRange range, ColourMapKind kind)
    : kind_(kind), lowest_(std::min(range.low, 0.0)), highest_(std::max(range.high, 0.0))
{
}

QColor DivergingMap::operator()(double value) const
{
    if (std::isnan(value)) {
        return NoValue();
    }
    if (kind_ != ColourMapKind::GreenRed) {
        const double span = highest_ - lowest_;
        return ToQColor(ColourMapAt(kind_, span > 0 ? (value - lowest_) / span : 0.5));
    }
    const double end = value < 0 ? -lowest_ : highest_;
    const double share = end > 0 ? std::clamp(value / end, -1.0, 1.0) : 0.0;
    const int fade = static_cast<int>(std::lround(255 * (1 - std::abs(share))));
    return share < 0 ? QColor(fade, fade, 255) : QColor(255, fade, fade);
}

QImage QuantumPotentialPicture(const RealMatrixT& q, const DivergingMap& colours)
{
    QImage picture(q.Cols(), q.Rows(), QImage::Format_RGB32);
    for (int i = 0; i < q.Rows(); ++i) {
        auto* line = reinterpret_cast<QRgb*>(picture.scanLine(i));
        for (int j = 0; j < q.Cols(); ++j) {
            line[j] = colours(q[i][j]).rgb();
        }
    }
    return picture;
}

}  // namespace nivaro
