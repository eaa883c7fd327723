#pragma once

#include <cstdint>

namespace nivaro {

// Physical memory of this machine in bytes, or the largest value when the
// system does not say.
std::uint64_t PhysicalMemoryBytes();

}  // namespace nivaro
