// Elementary functions for the data generators, computed with correctly
// rounded additions, multiplications and divisions only (no fused steps:
// their users are compiled with -ffp-contract=off). A generator then makes
// the same bytes with any C library, on any processor and in the browser,
// and the web edition carries no C math library. The approximations are
// fdlibm's; each stays within a few units in the last place.
#pragma once

#include <cfloat>
#include <cmath>

// Each step has to be rounded to a double as it is made: a compiler that
// reorders steps or keeps them wider would give other last bits.
#ifdef __FAST_MATH__
#error "portable_math.h needs exact floating point: build without -ffast-math"
#endif
#if FLT_EVAL_METHOD != 0
#error "portable_math.h needs doubles evaluated as doubles (FLT_EVAL_METHOD 0): SSE2 arithmetic, not x87"
#endif

namespace portable {

namespace detail {

constexpr double PI = 3.14159265358979323846;

// pi / 2 in three parts, the first two of 33 bits: n * part is exact for the
// |n| < 2^20 that sin() meets.
constexpr double INV_PIO2 = 6.36619772367581382433e-01;
constexpr double PIO2_1 = 1.57079632673412561417e+00;
constexpr double PIO2_2 = 6.07710050630396597660e-11;
constexpr double PIO2_2T = 2.02226624879595063154e-21;

// ln 2 in two parts, the first of 32 bits.
constexpr double INV_LN2 = 1.44269504088896338700e+00;
constexpr double LN2_HI = 6.93147180369123816490e-01;
constexpr double LN2_LO = 1.90821492927058770002e-10;

// sin and cos on [-pi/4, pi/4].
inline double sin_near_zero(double x) {
    const double z = x * x;
    const double r = 8.33333333332248946124e-03 +
                     z * (-1.98412698298579493134e-04 +
                          z * (2.75573137070700676789e-06 +
                               z * (-2.50507602534068634195e-08 + z * 1.58969099521155010221e-10)));
    return x + z * x * (-1.66666666666666324348e-01 + z * r);
}

inline double cos_near_zero(double x) {
    const double z = x * x, w = z * z;
    const double low = 4.16666666666666019037e-02 + z * (-1.38888888888741095749e-03 + z * 2.48015872894767294178e-05);
    const double high = -2.75573143513906633035e-07 + z * (2.08757232129817482790e-09 - z * 1.13596475577881948265e-11);
    const double r = z * low + w * w * high;
    const double half = 0.5 * z, rest = 1.0 - half;
    return rest + (((1.0 - rest) - half) + z * r);
}

// atan on [-7/16, 7/16].
inline double atan_near_zero(double x) {
    const double z = x * x, w = z * z;
    const double odd = z * (3.33333333333329318027e-01 +
                            w * (1.42857142725034663711e-01 +
                                 w * (9.09088713343650656196e-02 +
                                      w * (6.66107313738753120669e-02 +
                                           w * (4.97687799461593236017e-02 + w * 1.62858201153657823623e-02)))));
    const double even = w * (-1.99999999998764832476e-01 +
                             w * (-1.11111104054623557880e-01 +
                                  w * (-7.69187620504482999495e-02 +
                                       w * (-5.83357013379057348645e-02 + w * -3.65315727442169155270e-02))));
    return x - x * (odd + even);
}

inline double atan_of_ratio(double t) {  // 0 <= t <= 1
    if (t > 7.0 / 16) return PI / 4 + atan_near_zero((t - 1) / (t + 1));
    return atan_near_zero(t);
}

}  // namespace detail

// For |x| < 1e5.
inline double sin(double x) {
    using namespace detail;
    const double n = std::floor(x * INV_PIO2 + 0.5);
    const double r = ((x - n * PIO2_1) - n * PIO2_2) - n * PIO2_2T;
    switch (static_cast<long long>(n) & 3) {
        case 0: return sin_near_zero(r);
        case 1: return cos_near_zero(r);
        case 2: return -sin_near_zero(r);
        default: return -cos_near_zero(r);
    }
}

// For |x| < 700.
inline double exp(double x) {
    using namespace detail;
    const double k = std::floor(x * INV_LN2 + 0.5);
    const double hi = x - k * LN2_HI, lo = k * LN2_LO;
    const double r = hi - lo, t = r * r;
    const double c = r - t * (1.66666666666666019037e-01 +
                              t * (-2.77777777770155933842e-03 +
                                   t * (6.61375632143793436117e-05 +
                                        t * (-1.65339022054652515390e-06 + t * 4.13813679705723846039e-08))));
    return std::ldexp(1 - ((lo - (r * c) / (2 - c)) - hi), static_cast<int>(k));
}

// For x > 0.
inline double log(double x) {
    using namespace detail;
    int exponent = 0;
    double m = std::frexp(x, &exponent);  // x = m * 2^exponent, 0.5 <= m < 1
    if (m < 0.70710678118654752440) {
        m *= 2;
        --exponent;
    }
    const double f = m - 1, s = f / (2 + f), z = s * s, w = z * z;
    const double even = w * (3.999999999940941908e-01 + w * (2.222219843214978396e-01 + w * 1.531383769920937332e-01));
    const double odd =
        z * (6.666666666666735130e-01 +
             w * (2.857142874366239149e-01 + w * (1.818357216161805012e-01 + w * 1.479819860511658591e-01)));
    const double half_square = 0.5 * f * f;
    const double e = exponent;
    return e * LN2_HI - ((half_square - (s * (half_square + odd + even) + e * LN2_LO)) - f);
}

// x^y for y > 0, with 0 for x <= 0.
inline double pow(double x, double y) { return x > 0 ? exp(y * log(x)) : 0; }

inline double tanh(double x) {
    const double t = exp(-2 * std::fabs(x));
    const double magnitude = (1 - t) / (1 + t);
    return x < 0 ? -magnitude : magnitude;
}

// The angle of (x, y) in -pi ... pi; 0 for the origin.
inline double atan2(double y, double x) {
    using namespace detail;
    if (x == 0 && y == 0) return 0;
    const double ax = std::fabs(x), ay = std::fabs(y);
    const double from_axis = ay <= ax ? atan_of_ratio(ay / ax) : PI / 2 - atan_of_ratio(ax / ay);
    const double angle = x < 0 ? PI - from_axis : from_axis;
    return y < 0 ? -angle : angle;
}

}  // namespace portable
