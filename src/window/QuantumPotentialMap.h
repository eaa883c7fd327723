#pragma once

#include <QColor>
#include <QImage>

#include "engine/QuantumPotential.h"

namespace nivaro {

// Colours for the quantum potential: blue below zero, white at zero, red
// above, symmetric about zero up to the larger end of the clip range; a
// point without a value is grey.
class DivergingMap {
public:
    explicit DivergingMap(ValueRange range);

    QColor operator()(double value) const;
    double Limit() const { return limit_; }

    static QColor NoValue() { return QColor(190, 190, 190); }

private:
    double limit_;
};

// Q on the grid as a picture (column j, row i), as the carpet shows it.
QImage QuantumPotentialPicture(const RealMatrixT& q, const DivergingMap& colours);

}  // namespace nivaro
