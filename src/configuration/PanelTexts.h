#pragma once

#include <string>

namespace nivaro {

// The texts of the parameter panel's fields. The configuration write-back
// stores them verbatim, as the user typed them.
struct PanelTexts {
    std::string slits = "2";
    std::string mass = "9.1095E-31";
    std::string lambda = "1E-8";
    std::string d = "1E-8";
    std::string slitWidth = "1E-8";
    std::string sigma0 = "2E-9";
    std::string scaleX = "1:1";
    std::string scaleZ = "1:1";
    std::string scaleP = "1:1";
};

}  // namespace nivaro
