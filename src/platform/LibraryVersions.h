#pragma once

#include <string>
#include <vector>

namespace nivaro {

// A library the program is linked with, as the About box lists it.
struct LibraryVersion {
    std::string name;
    std::string version;  // of the library loaded at run time where it says so
    std::string licence;
};

// The file format libraries of this layer: libpng, libjpeg, HDF5.
std::vector<LibraryVersion> FileFormatLibraries();

}  // namespace nivaro
