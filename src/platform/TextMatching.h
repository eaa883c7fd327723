#pragma once

#include <string_view>

namespace nivaro {

// The text without the blanks around it.
std::string_view Trimmed(std::string_view text);

// Whether two names are equal when upper and lower case are not told apart.
bool EqualsIgnoringCase(std::string_view a, std::string_view b);
// Whether a file name ends so ("a.NPY" ends with ".npy").
bool EndsWithIgnoringCase(std::string_view text, std::string_view ending);

}  // namespace nivaro
