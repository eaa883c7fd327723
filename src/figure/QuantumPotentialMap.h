#pragma once

#include <QColor>
#include <QImage>

#include "chart/ColourMap.h"
#include "engine/QuantumPotential.h"

namespace nivaro {

// Colours for the quantum potential: white at zero, deepening to full blue
// at the low end of the clip range and to full red at the high end (each
// side on its own scale, so that a strong tail on one side does not wash
// out the other); a point without a value is grey. Under another colour map
// than green-red, that map from the low end to the high end instead.
class DivergingMap {
public:
    explicit DivergingMap(ValueRange range, ColourMapKind kind = ColourMapKind::GreenRed);

    QColor operator()(double value) const;
    // The clip range, widened to take in zero.
    double Lowest() const { return lowest_; }
    double Highest() const { return highest_; }

    static QColor NoValue() { return QColor(190, 190, 190); }

private:
    ColourMapKind kind_;
    double lowest_;
    double highest_;
};

// Q on the grid as a picture (column j, row i), as the carpet shows it.
QImage QuantumPotentialPicture(const RealMatrixT& q, const DivergingMap& colours);

}  // namespace nivaro
