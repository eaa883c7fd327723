#pragma once

#include <memory>
#include <string>

#include "engine/TransmissionTable.h"
#include "engine/WaveSettings.h"

namespace nivaro {

// Reads a measured grating transmission:
// - a .npy array of n rows (x in m, t): float64 for a real t, or complex128
//   with x in the first column's real part;
// - any other name: a text table of two columns (x in m, t) or three (x,
//   Re t, Im t), separated by spaces, tabs or commas, with lines starting
//   with '#' left out.
// Throws FileError naming the file and what is wrong with it.
std::shared_ptr<const TransmissionTable> ReadTransmissionFile(const std::string& path);

// Reads the file into the settings, or forgets the transmission for an
// empty path; throws FileError and leaves them as they were.
void UseTransmissionFile(WaveSettings& wave, const std::string& path);

}  // namespace nivaro
