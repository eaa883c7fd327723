#include "QuantumPotentialMap.h"

#include <algorithm>
#include <cmath>

namespace nivaro {

DivergingMap::DivergingMap(ValueRange range) : lowest_(std::min(range.low, 0.0)), highest_(std::max(range.high, 0.0))
{
}

QColor DivergingMap::operator()(double value) const
{
    if (std::isnan(value)) {
        return NoValue();
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
