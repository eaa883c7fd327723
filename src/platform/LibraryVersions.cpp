#include "LibraryVersions.h"

#include <hdf5.h>
#include <jpeglib.h>
#include <png.h>

#define NIVARO_TEXT_OF(tokens) #tokens
#define NIVARO_EXPANDED_TEXT_OF(tokens) NIVARO_TEXT_OF(tokens)

namespace nivaro {
namespace {

std::string Hdf5Version()
{
    unsigned major = 0;
    unsigned minor = 0;
    unsigned release = 0;
    H5get_libversion(&major, &minor, &release);
    return std::to_string(major) + "." + std::to_string(minor) + "." + std::to_string(release);
}

}  // namespace

std::vector<LibraryVersion> FileFormatLibraries()
{
    return {
        {"libpng", png_get_libpng_ver(nullptr), "libpng licence"},
        {"libjpeg-turbo", NIVARO_EXPANDED_TEXT_OF(LIBJPEG_TURBO_VERSION), "IJG licence and BSD-3-Clause"},
        {"HDF5", Hdf5Version(), "BSD-3-Clause (HDF5 licence)"},
    };
}

}  // namespace nivaro
