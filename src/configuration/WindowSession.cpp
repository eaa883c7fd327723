#include "WindowSession.h"

#include <optional>

#include "platform/NumberText.h"

namespace nivaro {
namespace {

constexpr const char* kSection = "WINDOW";

// Calls visit(key, member) for every value of the session, in file order.
template <typename Session, typename Visit>
void ForEachValue(Session& session, Visit&& visit)
{
    visit("left", session.left);
    visit("top", session.top);
    visit("width", session.width);
    visit("height", session.height);
    visit("maximized", session.maximized);
    visit("page", session.carpetPage);
    visit("rotation", session.rotation);
    visit("elevation", session.elevation);
    visit("contrast", session.contrast);
    visit("trajectories3D", session.trajectories3D);
    visit("trajectories", session.trajectories);
    visit("dataFile", session.dataFile);
    visit("legend", session.legend);
    visit("nanometreLabels", session.nanometreLabels);
    visit("antialiasing", session.antialiasing);
    visit("saveFolder", session.saveFolder);
    visit("surfaceQ", session.quantumPotentialSurface);
    visit("carpetQ", session.quantumPotentialCarpet);
    visit("sampledStarts", session.sampledStarts);
    visit("trajectoryColour", session.trajectoryColour);
    visit("spectrum", session.spectrum);
    visit("colourMap", session.colourMap);
    visit("logarithmicSpectrum", session.logarithmicSpectrum);
}

}  // namespace

WindowSession ReadWindowSession(const IniFile& file)
{
    WindowSession session;
    ForEachValue(session, [&file](const char* key, auto& value) {
        const std::string text = file.GetString(kSection, key, "");
        using Value = std::decay_t<decltype(value)>;
        if constexpr (std::is_same_v<Value, std::string>) {
            if (file.HasKey(kSection, key)) {
                value = text;
            }
        } else if (const std::optional<int> number = ParseWholeInteger(text)) {
            if constexpr (std::is_same_v<Value, bool>) {
                value = *number != 0;
            } else {
                value = *number;
            }
        }
    });
    return session;
}

void WriteWindowSession(IniFile& file, const WindowSession& session)
{
    ForEachValue(session, [&file](const char* key, const auto& value) {
        using Value = std::decay_t<decltype(value)>;
        if constexpr (std::is_same_v<Value, std::string>) {
            file.SetString(kSection, key, value);
        } else {
            file.SetString(kSection, key, std::to_string(static_cast<int>(value)));
        }
    });
}

}  // namespace nivaro
