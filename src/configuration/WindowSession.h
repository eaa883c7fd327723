#pragma once

#include <string>

#include "platform/IniFile.h"

namespace nivaro {

// How the user left the window: kept in the configuration file's section
// WINDOW, apart from the settings of the computation. Values that are absent
// or do not read as their kind keep the defaults below.
struct WindowSession {
    // Window position and size in screen pixels; no width means "never saved".
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    bool maximized = true;
    bool carpetPage = false;
    int rotation = 334;
    int elevation = 304;
    int contrast = 1;
    bool trajectories3D = false;
    bool trajectories = true;
    bool dataFile = false;
    bool legend = true;
    bool nanometreLabels = true;
    bool antialiasing = false;
    std::string saveFolder;
    bool quantumPotentialSurface = false;  // the 3D page's Surface: Q instead of the density
    bool quantumPotentialCarpet = false;   // the 2D page's Show: Q instead of the density
    bool sampledStarts = false;            // the 2D page's Starts: sampled from |psi|^2
    std::string trajectoryColour = "Blue"; // a clicked trajectory's colour, by its name
    bool spectrum = false;                 // F11: the spectrum instead of the density
    std::string colourMap = "green-red";   // View > Colour map, by its name
    bool logarithmicSpectrum = true;       // the spectrum surface's height
};

WindowSession ReadWindowSession(const IniFile& file);
// Writes every value of the session; other sections and keys keep their
// place and value.
void WriteWindowSession(IniFile& file, const WindowSession& session);

}  // namespace nivaro
