#pragma once

#include <cstdint>
#include <string_view>

namespace nivaro {

// Physical memory of this machine in bytes, or the largest value when the
// system does not say.
std::uint64_t PhysicalMemoryBytes();

// Memory that can be allocated now without swapping (the kernel's
// MemAvailable), or the physical memory when the system does not say.
std::uint64_t AvailableMemoryBytes();

// MemAvailable from the text of /proc/meminfo, in bytes; 0 when absent.
std::uint64_t MemAvailableFromMeminfo(std::string_view meminfo);

}  // namespace nivaro
