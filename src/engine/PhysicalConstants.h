#pragma once

namespace nivaro {

inline constexpr double kHbar = 1.054571628e-34;  // J s
inline constexpr double kPi = 3.141592653589793;
inline constexpr double kFourPi = 12.566370614359172;
inline constexpr double kSqrtTwoPi = 2.5066282746310007;
inline constexpr double kInverseSqrtTwoPi = 0.3989422804014327;

inline constexpr double kElectronMass = 9.1095e-31;   // kg
inline constexpr double kNeutronMass = 1.674927e-27;  // kg

}  // namespace nivaro
