// The configuration store and reader on arbitrary bytes: parsing and
// writing back an unchanged profile gives the same bytes, and the values
// the write-back stores read back as written.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "configuration/Configuration.h"
#include "platform/IniFile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    nivaro::IniFile file = nivaro::IniFile::Parse(bytes);
    if (!file.UnwritableEncoding() && file.Text() != bytes) {
        std::abort();  // bytes the program did not change were changed
    }
    nivaro::SimulationState state;
    state.gridMemoryLimit = 1ULL << 32;
    const nivaro::LoadedConfiguration loaded = nivaro::LoadConfiguration(file, state);
    nivaro::WriteBackConfiguration(file, loaded.panel, state);
    const nivaro::IniFile reread = nivaro::IniFile::Parse(file.Text());
    if (!file.UnwritableEncoding() && reread.GetString("PARAMETERS", "lambda", "") != loaded.panel.lambda) {
        std::abort();  // a written value does not read back
    }
    return 0;
}
