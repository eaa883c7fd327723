#pragma once

#include <string>
#include <string_view>

namespace nivaro {

enum class ScaleDirection { None, Up, Down };

// A magnification written p:q. The factor is always a whole number n (text
// "n:1") or its reciprocal (text "1:n").
class AxisScale {
public:
    double Factor() const { return factor_; }
    const std::string& Text() const { return text_; }

    // Reads "p", "p:q" (C "%d:%d" rules, trailing text ignored): p:q with
    // q < p gives p, anything else 1/q. A text whose parts are not positive
    // whole numbers ("0:1", "-3:1", "1:0", "1.5", "1e400:1"; "3.0" is one)
    // leaves the scale unchanged and returns false.
    bool Parse(std::string_view text);
    // One up-down click: ... 1:3, 1:2, 1:1, 2:1, 3:1 ...
    void Step(ScaleDirection direction);

    static std::string Display(double factor);
    // The factor the parse rule gives, or nothing when the text does not parse.
    static bool ParseFactor(std::string_view text, double& factor);

private:
    void Set(double factor);

    double factor_ = 1.0;
    std::string text_ = "1:1";
};

}  // namespace nivaro
