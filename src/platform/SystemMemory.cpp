#include "SystemMemory.h"

#include <charconv>
#include <fstream>
#include <limits>
#include <sstream>
#include <unistd.h>

namespace nivaro {

std::uint64_t PhysicalMemoryBytes()
{
    const long pages = ::sysconf(_SC_PHYS_PAGES);
    const long pageSize = ::sysconf(_SC_PAGE_SIZE);
    if (pages <= 0 || pageSize <= 0) {
        return std::numeric_limits<std::uint64_t>::max();
    }
    return static_cast<std::uint64_t>(pages) * static_cast<std::uint64_t>(pageSize);
}

std::uint64_t MemAvailableFromMeminfo(std::string_view meminfo)
{
    constexpr std::string_view kKey = "MemAvailable:";
    const std::size_t at = meminfo.find(kKey);
    if (at == std::string_view::npos) {
        return 0;
    }
    std::size_t begin = at + kKey.size();
    while (begin < meminfo.size() && meminfo[begin] == ' ') {
        ++begin;
    }
    std::uint64_t kilobytes = 0;
    const auto result = std::from_chars(meminfo.data() + begin, meminfo.data() + meminfo.size(), kilobytes);
    if (result.ec != std::errc{} || kilobytes > std::numeric_limits<std::uint64_t>::max() / 1024) {
        return 0;
    }
    return kilobytes * 1024;
}

std::uint64_t AvailableMemoryBytes()
{
    std::ifstream file("/proc/meminfo");
    std::ostringstream text;
    text << file.rdbuf();
    const std::uint64_t available = MemAvailableFromMeminfo(text.str());
    return available > 0 ? available : PhysicalMemoryBytes();
}

}  // namespace nivaro
