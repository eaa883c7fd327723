#pragma once

#include <QImage>

#include "chart/ColourMap.h"
#include "numeric/Matrices.h"

namespace nivaro {

// The spectrum's magnitudes as a grey picture with zero frequency in the
// middle (row and column size / 2): darker where stronger, on a logarithmic
// scale over six decades below the largest magnitude; under another colour
// map than green-red, that map from the weakest to the strongest.
QImage SpectrumPicture(const RealMatrixT& magnitudes, ColourMapKind kind = ColourMapKind::GreenRed);

inline constexpr double kSpectrumDecades = 6.0;

// The map the spectrum is drawn in: green-red keeps the spectrum grey.
inline ColourMapKind SpectrumMap(ColourMapKind kind)
{
    return kind == ColourMapKind::GreenRed ? ColourMapKind::Grey : kind;
}

}  // namespace nivaro
