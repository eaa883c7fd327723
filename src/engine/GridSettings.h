#pragma once

#include <cstdint>

namespace nivaro {

// How a Bohmian path is integrated: by fixed arc-length Euler steps of
// `step` pixels, or by an error-controlled Runge-Kutta pair whose every step
// is off by at most `tolerance` pixels.
enum class Integrator : std::uint8_t { Euler, Adaptive };
inline constexpr double kDefaultTolerance = 1e-6;
// Below this the rounding of double arithmetic exceeds what a step may be off.
inline constexpr double kSmallestTolerance = 1e-12;
inline constexpr double kLargestTolerance = 1.0;

inline bool IsUsableTolerance(double tolerance)
{
    return tolerance >= kSmallestTolerance && tolerance <= kLargestTolerance;
}

struct GridSettings {
    int nx = 300;
    int nz = 300;
    int nxb = DefaultNxb(300);
    double dxb = 0.5;
    // The built-in step is never seen by a user: start-up always replaces it,
    // by the configuration default kConfiguredStep when the key is absent.
    double step = 0.5;
    Integrator integrator = Integrator::Euler;
    double tolerance = kDefaultTolerance;
    int decimationX = 4;
    int decimationZ = 4;
    double dx = 2e-10;
    double dz = 2e-10;

    // Rows and columns per 3D surface cell: 4 up to 300 samples, n / 64 above.
    void DeriveDecimation();
    // Trajectories start below nxb, by default half the rows: the half of
    // the grid on one side of the axis.
    static int DefaultNxb(int rows) { return rows / 2; }
    // Another number of rows. An nxb at the default of the old number
    // follows to the new one's, so that a larger grid still has its
    // trajectories; an nxb set to anything else stays.
    void SetRows(int rows);
    static constexpr double kConfiguredStep = 1.0;
    static int DecimationFor(int samples) { return samples > 300 ? samples / 64 : 4; }
};

}  // namespace nivaro
