#pragma once

#include <QImage>

#include "numeric/Matrices.h"

namespace nivaro {

// The spectrum's magnitudes as a grey picture with zero frequency in the
// middle (row and column size / 2): darker where stronger, on a logarithmic
// scale over six decades below the largest magnitude.
QImage SpectrumPicture(const RealMatrixT& magnitudes);

}  // namespace nivaro
