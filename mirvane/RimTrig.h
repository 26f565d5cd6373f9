#pragma once

namespace mirvane {

// Sine and cosine for the wheel's rim, within an ulp of the C library's. The wheel needs them
// for a few angles a frame; the library's versions would page in some 300 KB of its tables and
// code for that, a twelfth of all the launcher adds to a bare window. Angles are reduced by
// multiples of pi/2 (pi/2 split in two, exact for the few multiples a rim angle needs), then
// evaluated by the classic minimax polynomials on [-pi/4, pi/4].
namespace rimtrig {

inline constexpr double kHalfPiHigh = 1.57079632673412561417e+00;
inline constexpr double kHalfPiLow = 6.07710050650619224932e-11;

inline double SinKernel(double x) {
    const double z = x * x;
    const double r = 8.33333333332248946124e-03 +
                     z * (-1.98412698298579493134e-04 +
                          z * (2.75573137070700676789e-06 +
                               z * (-2.50507602534068634195e-08 + z * 1.58969099521155010221e-10)));
    return x + z * x * (-1.66666666666666324348e-01 + z * r);
}

inline double CosKernel(double x) {
    const double z = x * x;
    const double r =
        z * (4.16666666666666019037e-02 +
             z * (-1.38888888888741095749e-03 +
                  z * (2.48015872894767294178e-05 +
                       z * (-2.75573143513906633035e-07 +
                            z * (2.08757232129817482790e-09 + z * -1.13596475577881948265e-11)))));
    const double half = 0.5 * z;
    const double w = 1.0 - half;
    return w + (((1.0 - w) - half) + z * r);
}

// The quadrant and the remainder of x over pi/2.
inline int Reduce(double x, double& rest) {
    const double q = x * (2.0 / 3.14159265358979323846);
    const double n = static_cast<double>(static_cast<long long>(q + (q < 0 ? -0.5 : 0.5)));
    rest = (x - n * kHalfPiHigh) - n * kHalfPiLow;
    return static_cast<int>(static_cast<long long>(n) & 3);
}

// sin(x) for shift 0, cos(x) = sin(x + pi/2) for shift 1: the same remainder, one quadrant on.
inline double Quadrant(double x, int shift) {
    double y = 0;
    const int quadrant = (Reduce(x, y) + shift) & 3;
    const double value = quadrant & 1 ? CosKernel(y) : SinKernel(y);
    return quadrant & 2 ? -value : value;
}

} // namespace rimtrig

inline double RimSin(double x) {
    return rimtrig::Quadrant(x, 0);
}

inline double RimCos(double x) {
    return rimtrig::Quadrant(x, 1);
}

} // namespace mirvane
