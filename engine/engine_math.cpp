#include "engine/engine_math.h"

#include <array>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>

#if defined(__SSE2_MATH__)
#include <xmmintrin.h>
#endif
#if defined(__x86_64__)
#include <immintrin.h>
#endif

#include "engine/pow_tables.h"

// The design is that of the pow in glibc and musl, so that the two can be
// compared side by side: log x from a table of 128 entries indexed by the top
// bits of x's representation minus LogOffset (the same constant), each entry
// holding InvC, about 1/c, and log c, so that r = z InvC - 1 is exact; then
// exp(y log x) as 2^(k/128), from a second table of 128 entries, times a
// short polynomial. What differs: no FMA anywhere (the oldest target has
// none), so exact products come from Dekker's splitting; the tables and
// coefficients are our own (tools/powgen); and Ziv's test sends the results
// it cannot round with certainty to a double-double path (SlowPow), where
// those libraries accept an error in the last place.
//
// Every operation is a plain double operation in a fixed order, so SSE2 and
// the x87 at double precision give the same bits: that is why every build
// makes the same tables.

namespace {

using namespace qvpow;

uint64_t Bits(double d) {
    uint64_t u;
    std::memcpy(&u, &d, sizeof u);
    return u;
}

double FromBits(uint64_t u) {
    double d;
    std::memcpy(&d, &u, sizeof d);
    return d;
}

// A double-double: the value Hi + Lo, |Lo| <= ulp(Hi) / 2 when normalised.
struct DD {
    double Hi, Lo;
};

inline DD TwoSum(double a, double b) {
    const double s = a + b;
    const double bb = s - a;
    return {s, (a - (s - bb)) + (b - bb)};
}

// Requires |a| >= |b| (or a == 0).
inline DD FastTwoSum(double a, double b) {
    const double s = a + b;
    return {s, b - (s - a)};
}

inline void Split(double a, double& hi, double& lo) {
    const double c = 134217729.0 * a;  // 2^27 + 1
    hi = c - (c - a);
    lo = a - hi;
}

inline DD TwoProd(double a, double b) {
    double ah, al, bh, bl;
    Split(a, ah, al);
    Split(b, bh, bl);
    const double p = a * b;
    return {p, ((ah * bh - p) + ah * bl + al * bh) + al * bl};
}

inline DD Add(DD a, DD b) {
    DD s = TwoSum(a.Hi, b.Hi);
    const DD t = TwoSum(a.Lo, b.Lo);
    s = FastTwoSum(s.Hi, s.Lo + t.Hi);
    return FastTwoSum(s.Hi, s.Lo + t.Lo);
}

inline DD Mul(DD a, DD b) {
    const DD p = TwoProd(a.Hi, b.Hi);
    return FastTwoSum(p.Hi, p.Lo + (a.Hi * b.Lo + a.Lo * b.Hi));
}

inline DD MulD(DD a, double b) {
    const DD p = TwoProd(a.Hi, b);
    return FastTwoSum(p.Hi, p.Lo + a.Lo * b);
}

constexpr uint64_t LogOffset = 0x3fe6955500000000ull;
constexpr double Shift = 0x1.8p52;  // adding it rounds to an integer
constexpr double FastBound = 0x1p-66;  // relative error bound of the fast path (about 2^-68.5 shown)
constexpr double ExpLimit = 707.0;

// x = 2^K z with z in [0x1.6955p-1, 0x1.6955p0), and r = z InvC - 1 exactly
// (as Hi + Lo, and rounded, which is exact too: see the table generator).
struct LogReduction {
    double K;
    const LogEntry* Entry;
    double RHi, RLo, R;
};

LogReduction ReduceLog(double x) {
    int extra = 0;
    if (x < 0x1p-1022) {  // subnormal: scale into the normal range first
        x *= 0x1p52;
        extra = 52;
    }
    const uint64_t ix = Bits(x);
    const uint64_t tmp = ix - LogOffset;
    const int i = static_cast<int>((tmp >> 45) & 127);
    const int64_t k = static_cast<int64_t>(tmp) >> 52;
    const uint64_t iz = ix - (tmp & (0xfffull << 52));
    const double z = FromBits(iz);
    // zhi has 21 significant bits, InvC at most 8, so both products are exact.
    const double zhi = FromBits((iz + (1ull << 31)) & (~0ull << 32));
    const double zlo = z - zhi;
    const LogEntry& e = LogTable[i];
    LogReduction red;
    red.K = static_cast<double>(k - extra);
    red.Entry = &e;
    red.RHi = zhi * e.InvC - 1.0;
    red.RLo = zlo * e.InvC;
    red.R = red.RHi + red.RLo;
    return red;
}

// e = K ln2 / 128 + r: the table index, the binary exponent and kd.
struct ExpReduction {
    int Index;
    int Exponent;
    double Kd;
};

ExpReduction ReduceExp(double e) {
    double kd = InvLn2N * e + Shift;
    const int64_t k = static_cast<int64_t>(Bits(kd) - Bits(Shift));
    kd -= Shift;
    const int j = static_cast<int>(k & 127);
    return {j, static_cast<int>((k - j) / 128), kd};
}

double ScaleBy(double v, int exponent) {
    return v * FromBits(static_cast<uint64_t>(exponent + 1023) << 52);
}

double Unreachable(double e) {
    return e > 0.0 ? std::numeric_limits<double>::infinity() : 0.0;
}

// Everything in double-double, about 2^-100 relative: for the rare cases the
// fast path cannot round with certainty.
double SlowPow(double x, double y) {
    const LogReduction red = ReduceLog(x);
    DD poly = {Log1pCoeff[15][0], Log1pCoeff[15][1]};
    for (int n = 14; n >= 0; --n) poly = Add(MulD(poly, red.R), DD{Log1pCoeff[n][0], Log1pCoeff[n][1]});
    poly = MulD(poly, red.R);  // log(1 + r)
    const LogEntry& c = *red.Entry;
    DD lg = {red.K * Ln2Hi + c.LogCHi, 0.0};  // exact
    lg = Add(lg, TwoProd(red.K, Ln2Mid));
    lg = Add(lg, DD{c.LogCMid, red.K * Ln2Lo + c.LogCLo});
    lg = Add(lg, poly);

    const DD e = MulD(lg, y);
    if (!(std::fabs(e.Hi) < ExpLimit)) return Unreachable(e.Hi);
    const ExpReduction xr = ReduceExp(e.Hi);
    DD r = {e.Hi - xr.Kd * Ln2HiN, 0.0};  // exact
    r = Add(r, DD{e.Lo, -xr.Kd * Ln2LoN});
    r = Add(r, TwoProd(-xr.Kd, Ln2MidN));
    DD ex = {ExpCoeff[11][0], ExpCoeff[11][1]};
    for (int n = 10; n >= 0; --n) ex = Add(Mul(ex, r), DD{ExpCoeff[n][0], ExpCoeff[n][1]});
    const DD v = Mul(DD{ExpTable[xr.Index].Hi, ExpTable[xr.Index].Lo}, ex);
    return ScaleBy(v.Hi + v.Lo, xr.Exponent);
}

}  // namespace

double EnginePowHeld(double x, double y) {
    if (y == 1.0) return x;
    if (y == 2.0) return x * x;  // correctly rounded, exact midpoints included
    if (!(x > 0.0 && x < std::numeric_limits<double>::infinity()) || !(std::fabs(y) < 0x1p60)) {
        if (y == 0.0) return 1.0;
        if (std::isnan(x) || std::isnan(y) || x < 0.0) return std::numeric_limits<double>::quiet_NaN();
        if (x == 0.0) return y > 0.0 ? 0.0 : std::numeric_limits<double>::infinity();
        if (x == 1.0) return 1.0;
        if (std::isinf(x)) return y > 0.0 ? x : 0.0;
        return Unreachable((x > 1.0) == (y > 0.0) ? 1.0 : -1.0);  // |y| huge
    }
    // The fast path's bound holds for |y| up to the engine's exponents and
    // well beyond, not for x near 1 with |y| in the thousands.
    if (std::fabs(y) > 64.0) return SlowPow(x, y);

    // log x = K ln2 + log c + log(1 + r) as hi + lo, to about 2^-74 absolute.
    const LogReduction red = ReduceLog(x);
    const LogEntry& c = *red.Entry;
    const double r = red.R;
    const double t1 = red.K * Ln2Hi + c.LogCHi;  // exact: both on the 2^-42 grid
    const DD t2 = TwoSum(t1, r);
    const double half = red.RHi * (-0.5 * red.RHi);  // -rhi^2 / 2, exact
    const DD hi = TwoSum(t2.Hi, half);
    const double lo3 = -0.5 * red.RLo * (r + red.RHi);  // the rest of -r^2 / 2
    const double r2 = r * r, r4 = r2 * r2;
    // r^3 / 3 - r^4 / 4 + ... - r^10 / 10; |r| < 2^-7 leaves less than 2^-80.
    // Estrin's scheme: pairs, then pairs of pairs, so the chain is four
    // operations deep instead of fourteen.
    const double p = (r2 * r) * (((Log1pCoeff[2][0] + r * Log1pCoeff[3][0]) +
                                  r2 * (Log1pCoeff[4][0] + r * Log1pCoeff[5][0])) +
                                 r4 * ((Log1pCoeff[6][0] + r * Log1pCoeff[7][0]) +
                                       r2 * (Log1pCoeff[8][0] + r * Log1pCoeff[9][0])));
    const double lo = (red.K * Ln2Mid + c.LogCMid) + t2.Lo + lo3 + hi.Lo + p;
    const DD lg = FastTwoSum(hi.Hi, lo);

    // e = y log x, exactly as a product plus the tail's share.
    DD e = TwoProd(y, lg.Hi);
    e.Lo += y * lg.Lo;
    if (!(std::fabs(e.Hi) < ExpLimit)) return Unreachable(e.Hi);

    // exp(e) = 2^(k / 128) exp(r), |r| < 2^-8.4, r = rh + rl exactly summed.
    const ExpReduction xr = ReduceExp(e.Hi);
    const double rh = e.Hi - xr.Kd * Ln2HiN;  // exact
    const DD rr = TwoSum(rh, e.Lo - xr.Kd * Ln2MidN);
    const double s = rr.Hi, s2 = s * s, s4 = s2 * s2;
    // exp(r) - 1 - r.Hi: r.Lo (1 + r.Hi) + r^2/2 + ... + r^7/5040 (the rest < 2^-83),
    // again by Estrin's scheme.
    const double q = rr.Lo * (1.0 + s) + s2 * (((ExpCoeff[2][0] + s * ExpCoeff[3][0]) +
                                                s2 * (ExpCoeff[4][0] + s * ExpCoeff[5][0])) +
                                               s4 * (ExpCoeff[6][0] + s * ExpCoeff[7][0]));
    const ExpEntry& t = ExpTable[xr.Index];
    const DD ph = TwoProd(t.Hi, s);
    const double rest = ph.Lo + t.Hi * q + t.Lo * (1.0 + (s + q));
    const DD sum = FastTwoSum(t.Hi, ph.Hi);
    const double tail = sum.Lo + rest;
    const double res = sum.Hi + tail;
    const double err = (sum.Hi - res) + tail;  // exact

    // Ziv's test: the exact value is res + err within FastBound; if that
    // interval holds no midpoint, res is the correctly rounded value.
    const double gap = err >= 0.0 ? FromBits(Bits(res) + 1) - res : res - FromBits(Bits(res) - 1);
    if (std::fabs(err) + res * FastBound < 0.5 * gap) return ScaleBy(res, xr.Exponent);
    return SlowPow(x, y);
}

namespace {

constexpr double OneThird = 0.3333333333333333;
constexpr double Ln2 = 0x1.62e42fefa39efp-1;

// x = 2^(3k) m with m in [2^j, 2^(j+1)), j = 0..2, by the binary exponent E
// of x (-8..0, index E + 9): 2^(-3k), 2^k and log 2^(3k).
struct ThirdScale {
    double Down, Up, LogScale;
    int J;
};
constexpr ThirdScale ThirdScales[10] = {
    {0.0, 0.0, 0.0, 0},
    {0x1p9, 0x1p-3, -9 * Ln2, 1},  {0x1p9, 0x1p-3, -9 * Ln2, 2},  {0x1p6, 0x1p-2, -6 * Ln2, 0},
    {0x1p6, 0x1p-2, -6 * Ln2, 1},  {0x1p6, 0x1p-2, -6 * Ln2, 2},  {0x1p3, 0x1p-1, -3 * Ln2, 0},
    {0x1p3, 0x1p-1, -3 * Ln2, 1},  {0x1p3, 0x1p-1, -3 * Ln2, 2},  {1.0, 1.0, 0.0, 0},
};

}  // namespace

double EnginePowOneThirdHeld(double x) {
    if (!(x >= 0x1p-8 && x < 2.0)) return EnginePowHeld(x, OneThird);
    const uint32_t high = static_cast<uint32_t>(Bits(x) >> 32);
    const ThirdScale& scale = ThirdScales[static_cast<int>(high >> 20) - 1023 + 9];
    const double m = x * scale.Down;  // exact
    const ThirdSeed& seed = ThirdSeeds[scale.J * 32 + static_cast<int>((high >> 15) & 31u)];

    // u approximates m^(-1/3): the table gives it to 2^-7.5, and each Newton iteration squares the error.
    double u = seed.InvCbrt;
    for (int step = 0; step < 3; ++step) u += u * (1.0 - m * (u * u * u)) * OneThird;
    // t = m^(1/3) within about 2^-50; one more step in double-double:
    // m - t^3 with t^2 and t^3 exact as hi + lo, divided by 3 t^2 = 3 / u^2.
    const double t = m * u * u;
    const DD t2 = TwoProd(t, t);
    const DD t3 = TwoProd(t2.Hi, t);
    const double residual = ((m - t3.Hi) - t3.Lo) - t2.Lo * t;
    const double c = residual * (u * u) * OneThird;

    // The exponent is 1/3 - 2^-54/3: x^y = x^(1/3) (1 - log(x) 2^-54/3), to
    // well below 2^-100 relative; log x = log m + 3k log 2, log m from the
    // seed's centre to within 2^-19, which leaves less than 2^-74.
    const double z = m * seed.InvCenter - 1.0;
    const double logX = scale.LogScale + seed.LogCenter + (z - 0.5 * z * z);
    const double tail = c + t * (logX * -0x1.5555555555555p-56);
    const double res = t + tail;
    const double err = (t - res) + tail;  // exact

    // Ziv's test as in EnginePowHeld, with the same bound (the error here
    // is below 2^-74).
    const double gap = err >= 0.0 ? FromBits(Bits(res) + 1) - res : res - FromBits(Bits(res) - 1);
    if (std::fabs(err) + res * FastBound < 0.5 * gap) return res * scale.Up;
    return EnginePowHeld(x, OneThird);
}

#if defined(__x86_64__)
namespace {

struct DD4 {
    __m256d Hi, Lo;
};

__attribute__((target("avx2"))) inline DD4 TwoProd4(__m256d a, __m256d b) {
    const __m256d split = _mm256_set1_pd(134217729.0);
    const __m256d ca = _mm256_mul_pd(split, a), cb = _mm256_mul_pd(split, b);
    const __m256d ah = _mm256_sub_pd(ca, _mm256_sub_pd(ca, a)), al = _mm256_sub_pd(a, ah);
    const __m256d bh = _mm256_sub_pd(cb, _mm256_sub_pd(cb, b)), bl = _mm256_sub_pd(b, bh);
    const __m256d p = _mm256_mul_pd(a, b);
    const __m256d lo = _mm256_add_pd(
        _mm256_add_pd(_mm256_add_pd(_mm256_sub_pd(_mm256_mul_pd(ah, bh), p), _mm256_mul_pd(ah, bl)),
                      _mm256_mul_pd(al, bh)),
        _mm256_mul_pd(al, bl));
    return {p, lo};
}

}  // namespace

__attribute__((target("avx2"))) int EnginePowOneThirdFourAvx2(const double* in, double* out) {
    const __m256d x = _mm256_loadu_pd(in);
    const __m256d inRange = _mm256_and_pd(_mm256_cmp_pd(x, _mm256_set1_pd(0x1p-8), _CMP_GE_OQ),
                                          _mm256_cmp_pd(x, _mm256_set1_pd(2.0), _CMP_LT_OQ));
    const __m256d xs = _mm256_blendv_pd(_mm256_set1_pd(1.0), x, inRange);  // keeps the indexes valid
    const __m256i high = _mm256_srli_epi64(_mm256_castpd_si256(xs), 32);
    const __m256i q = _mm256_sub_epi64(_mm256_srli_epi64(high, 20), _mm256_set1_epi64x(1023 - 9));
    const __m256i q4 = _mm256_slli_epi64(q, 2);  // ThirdScale is four 8-byte words
    const __m256d down = _mm256_i64gather_pd(&ThirdScales[0].Down, q4, 8);
    const __m256d up = _mm256_i64gather_pd(&ThirdScales[0].Up, q4, 8);
    const __m256d logScale = _mm256_i64gather_pd(&ThirdScales[0].LogScale, q4, 8);
    const __m128i j = _mm256_i64gather_epi32(&ThirdScales[0].J, _mm256_slli_epi64(q, 3), 4);
    const __m256i seedIndex = _mm256_add_epi64(_mm256_slli_epi64(_mm256_cvtepi32_epi64(j), 5),
                                               _mm256_and_si256(_mm256_srli_epi64(high, 15), _mm256_set1_epi64x(31)));
    const __m256i seed3 = _mm256_add_epi64(seedIndex, _mm256_add_epi64(seedIndex, seedIndex));
    const __m256d invCbrt = _mm256_i64gather_pd(&ThirdSeeds[0].InvCbrt, seed3, 8);
    const __m256d invCenter = _mm256_i64gather_pd(&ThirdSeeds[0].InvCenter, seed3, 8);
    const __m256d logCenter = _mm256_i64gather_pd(&ThirdSeeds[0].LogCenter, seed3, 8);

    const __m256d one = _mm256_set1_pd(1.0), third = _mm256_set1_pd(OneThird);
    const __m256d m = _mm256_mul_pd(xs, down);
    __m256d u = invCbrt;
    for (int step = 0; step < 3; ++step) {
        const __m256d cube = _mm256_mul_pd(_mm256_mul_pd(u, u), u);
        u = _mm256_add_pd(u, _mm256_mul_pd(_mm256_mul_pd(u, _mm256_sub_pd(one, _mm256_mul_pd(m, cube))), third));
    }
    const __m256d t = _mm256_mul_pd(_mm256_mul_pd(m, u), u);
    const DD4 t2 = TwoProd4(t, t);
    const DD4 t3 = TwoProd4(t2.Hi, t);
    const __m256d residual =
        _mm256_sub_pd(_mm256_sub_pd(_mm256_sub_pd(m, t3.Hi), t3.Lo), _mm256_mul_pd(t2.Lo, t));
    const __m256d c = _mm256_mul_pd(_mm256_mul_pd(residual, _mm256_mul_pd(u, u)), third);
    const __m256d z = _mm256_sub_pd(_mm256_mul_pd(m, invCenter), one);
    const __m256d logX = _mm256_add_pd(_mm256_add_pd(logScale, logCenter),
                                       _mm256_sub_pd(z, _mm256_mul_pd(_mm256_mul_pd(_mm256_set1_pd(0.5), z), z)));
    const __m256d tail =
        _mm256_add_pd(c, _mm256_mul_pd(t, _mm256_mul_pd(logX, _mm256_set1_pd(-0x1.5555555555555p-56))));
    const __m256d res = _mm256_add_pd(t, tail);
    const __m256d err = _mm256_add_pd(_mm256_sub_pd(t, res), tail);

    const __m256i resBits = _mm256_castpd_si256(res);
    const __m256d above = _mm256_sub_pd(_mm256_castsi256_pd(_mm256_add_epi64(resBits, _mm256_set1_epi64x(1))), res);
    const __m256d below = _mm256_sub_pd(res, _mm256_castsi256_pd(_mm256_sub_epi64(resBits, _mm256_set1_epi64x(1))));
    const __m256d gap = _mm256_blendv_pd(below, above, _mm256_cmp_pd(err, _mm256_setzero_pd(), _CMP_GE_OQ));
    const __m256d absErr = _mm256_andnot_pd(_mm256_set1_pd(-0.0), err);
    const __m256d sure = _mm256_cmp_pd(_mm256_add_pd(absErr, _mm256_mul_pd(res, _mm256_set1_pd(FastBound))),
                                       _mm256_mul_pd(_mm256_set1_pd(0.5), gap), _CMP_LT_OQ);
    const __m256d done = _mm256_and_pd(sure, inRange);
    _mm256_maskstore_pd(out, _mm256_castpd_si256(done), _mm256_mul_pd(res, up));
    return ~_mm256_movemask_pd(done) & 15;
}
#endif

#if defined(__i386__) || defined(__x86_64__)
namespace {

// The scales of ThirdScales for x in [2^E, 2^(E+1)), E = -30..0, index E + 30.
constexpr int WideScaleLowest = -30;

constexpr std::array<ThirdScale, 1 - WideScaleLowest> WideThirdScales() {
    std::array<ThirdScale, 1 - WideScaleLowest> scales{};
    for (int e = WideScaleLowest; e <= 0; ++e) {
        const int k = -((2 - e) / 3);  // floor(e / 3)
        double up = 1.0, down = 1.0;
        for (int n = 0; n < -k; ++n) {
            up *= 0.5;
            down *= 8.0;
        }
        scales[e - WideScaleLowest] = {down, up, 3 * k * Ln2, e - 3 * k};
    }
    return scales;
}
constexpr auto WideScales = WideThirdScales();

// The high word of a double in memory, without loading it onto the x87.
inline uint32_t HighWord(const double* x) {
    uint32_t high;
    std::memcpy(&high, reinterpret_cast<const char*>(x) + 4, sizeof high);
    return high;
}

// x^(1/3 - 2^-54/3) by the steps of EnginePowOneThirdHeld in extended
// precision, where no product needs splitting. The seed corrected to second
// order about its centre, u (1 - z/3 + 2z^2/9), is within 2^-20.5 and one Newton
// step reaches 2^-40; the last step, on t, leaves less than 2^-76 of its own
// (its error squared, and u^2 for 1 / (m^(1/3) t)). The error of t + tail:
// that step's residual m - t^3 carries t^3's two roundings, 2^-63 m, which
// divided by 3 t^2 is 2^-64.6 t (0.66 of res's last place); log x taken as
// log c + z, within z^2 / 2 < 2^-13, adds 2^-68.6 (0.04), the other roundings
// less than 2^-100, and res = t + tail half a place: in all below 1.25
// places, and the test allows 3.
constexpr long double ThirdL = 1.0L / 3.0L;

inline bool CubeRootExtended(const double* px, double& out) {
    const uint32_t high = HighWord(px);
    if (high - 0x3E100000u >= 0x40000000u - 0x3E100000u) return false;  // x outside [2^-30, 2)
    const ThirdScale& scale = WideScales[(high >> 20) - (1023 + WideScaleLowest)];
    const ThirdSeed& seed = ThirdSeeds[scale.J * 32 + static_cast<int>((high >> 15) & 31u)];
    const long double m = *px * static_cast<long double>(scale.Down);  // exact
    const long double z = m * seed.InvCenter - 1.0L;  // |z| < 2^-6
    long double u = seed.InvCbrt + seed.InvCbrt * z * (z * (2.0L / 9.0L) - ThirdL);
    u += u * (1.0L - m * (u * u * u)) * ThirdL;
    const long double uu = u * u;
    const long double t = m * uu;
    const long double c = (m - t * t * t) * uu * ThirdL;  // m - t^3 is exact
    const long double logX = (static_cast<long double>(scale.LogScale) + seed.LogCenter) + z;
    const long double res = t + (c + t * (logX * (-0x1p-54L / 3.0L)));
    double d;
    if (!RoundsWithCertainty(res, 2, d)) return false;
    out = d * scale.Up;  // a power of two: exact
    return true;
}

// x^y for x in [2^-20, 2^20) and one y with 1/4 <= |y| <= 4 in the whole
// batch, on the tables of EnginePowHeld: log x = H + lw with H = K Ln2Hi +
// log c's high part (46 bits at most, on the 2^-42 grid) and y split as
// YHi (18 bits) + YLo, so that e1 = YHi H is exact and e1 - kd Ln2HiN too.
// Errors, relative to the result (that is, absolute in y log x): lw within
// 2^-71.3 (the series to r^9, |r| < 2^-7, and its sum's rounding), y lw and
// e2's sums 2^-68.9 in all, the reduction's sums 2^-69.5, the exponential's
// series to r^6 (|r| < 2^-8.4) and the product with the table 2^-70.8:
// below 2^-67.7, 0.08 of res's last place, and half a place for res's own
// rounding. The test allows 2.
constexpr long double RoundingShift = 0x1.8p63L;  // adding it rounds to an integer

// 2^n for n = -21..21, index n + PowersOfTwoZero.
constexpr int PowersOfTwoZero = 21;

constexpr std::array<double, 2 * PowersOfTwoZero + 1> PowersOfTwoTable() {
    std::array<double, 2 * PowersOfTwoZero + 1> p{};
    p[PowersOfTwoZero] = 1.0;
    for (int n = 1; n <= PowersOfTwoZero; ++n) {
        p[PowersOfTwoZero + n] = p[PowersOfTwoZero + n - 1] * 2.0;
        p[PowersOfTwoZero - n] = p[PowersOfTwoZero - n + 1] * 0.5;
    }
    return p;
}
constexpr auto PowersOfTwo = PowersOfTwoTable();

struct SplitExponent {
    long double Y, YHi, YLo;
};

SplitExponent Split18(double y) {
    const double hi = FromBits(Bits(y) & ~((uint64_t{1} << 35) - 1));
    return {y, hi, static_cast<long double>(y) - hi};  // exact
}

inline bool PowExtended(const double* px, const SplitExponent& y, double& out) {
    const uint32_t high = HighWord(px);
    if (high - 0x3EB00000u >= 0x41300000u - 0x3EB00000u) return false;  // x outside [2^-20, 2^20)
    const uint32_t tmp = high - static_cast<uint32_t>(LogOffset >> 32);  // ReduceLog's, in the high word
    const LogEntry& c = LogTable[(tmp >> 13) & 127];
    const int k = static_cast<int32_t>(tmp) >> 20;
    // z InvC = x InvC 2^-k, exactly: 53 + 8 bits, scaled
    const long double r = *px * static_cast<long double>(c.InvC) * PowersOfTwo[PowersOfTwoZero - k] - 1.0L;
    const long double K = k;
    const long double H = K * Ln2Hi + c.LogCHi;  // exact
    const long double s =
        r * r *
        (-0.5L + r * (1.0L / 3 + r * (-0.25L + r * (0.2L + r * (-1.0L / 6 + r * (1.0L / 7 + r * (-0.125L + r * (1.0L / 9))))))));
    const long double lw = ((K * Ln2Mid + c.LogCMid) + s) + r;
    const long double e1 = y.YHi * H;
    const long double e2 = y.YLo * H + y.Y * lw;

    long double kd = (e1 + e2) * static_cast<long double>(InvLn2N) + RoundingShift;
    uint32_t kBits;
    std::memcpy(&kBits, &kd, sizeof kBits);  // the significand's low word
    kd -= RoundingShift;
    const int kn = static_cast<int>(kBits);
    const long double rr = (e1 - kd * Ln2HiN) + (e2 - kd * Ln2MidN);  // the first difference is exact
    const long double q = rr * rr * (0.5L + rr * (1.0L / 6 + rr * (1.0L / 24 + rr * (1.0L / 120 + rr * (1.0L / 720)))));
    const long double p = rr + q;  // exp(rr) - 1
    const ExpEntry& t = ExpTable[kn & 127];
    const long double small = t.Hi * p + (t.Lo + t.Lo * p);
    const long double res = t.Hi + small;
    double d;
    if (!RoundsWithCertainty(res, 1, d)) return false;
    const int exponent = kn >> 7;  // (kn - (kn & 127)) / 128
    if (exponent < -1000 || exponent > 1000) return false;
    out = d * FromBits(static_cast<uint64_t>(exponent + 1023) << 52);
    return true;
}

// Runs Fast over x[begin, count) at extended precision until it has left
// Capacity values to redo or reaches the end; returns where it stopped. Its
// own function, so that no arithmetic moves across the precision switch.
constexpr int RedoCapacity = 64;

struct Redo {
    int Count = 0;
    int Index[RedoCapacity];
    double X[RedoCapacity];
};

template <typename Fast>
__attribute__((noinline)) int RunExtended(const double* x, double* out, int begin, int count, Redo& redo,
                                          const Fast& fast) {
    int i = begin;
    for (; i < count && redo.Count < RedoCapacity; ++i) {
        if (!fast(x + i, out[i])) {
            redo.Index[redo.Count] = i;
            redo.X[redo.Count++] = x[i];
        }
    }
    return i;
}

template <typename Fast, typename Slow>
void Batch(const double* x, double* out, int count, const Fast& fast, const Slow& slow) {
    for (int i = 0; i < count;) {
        Redo redo;
        {
            const ExtendedArithmetic extended;
            i = RunExtended(x, out, i, count, redo, fast);
        }
        for (int n = 0; n < redo.Count; ++n) out[redo.Index[n]] = slow(redo.X[n]);
    }
}

}  // namespace

void EnginePowOneThirdManyHeld(const double* x, double* out, int count) {
    Batch(x, out, count, [](const double* v, double& r) { return CubeRootExtended(v, r); },
          [](double v) { return EnginePowOneThirdHeld(v); });
}

void EnginePowManyHeld(const double* x, double y, double* out, int count) {
    const auto slow = [y](double v) { return EnginePowHeld(v, y); };
    if (!(std::fabs(y) >= 0.25 && std::fabs(y) <= 4.0) || y == 1.0 || y == 2.0) {
        for (int i = 0; i < count; ++i) out[i] = slow(x[i]);
        return;
    }
    const SplitExponent split = Split18(y);
    Batch(x, out, count, [&split](const double* v, double& r) { return PowExtended(v, split, r); }, slow);
}

// The quotient by the reciprocal is within 2 units of its last place (the
// reciprocal's rounding and the product's). The reciprocal is divided at
// extended precision by an instruction of its own: a compiler may move plain
// arithmetic across the precision switch.
void EngineDivideManyHeld(const double* x, double divisor, double* out, int count) {
    long double reciprocal;
    {
        const ExtendedArithmetic extended;
        __asm__ __volatile__("fld1\n\tfdivl %1" : "=t"(reciprocal) : "m"(divisor));
    }
    Batch(x, out, count,
          [reciprocal](const double* v, double& r) { return RoundsWithCertainty(*v * reciprocal, 2, r); },
          [divisor](double v) { return v / divisor; });
}
#else
void EnginePowOneThirdManyHeld(const double* x, double* out, int count) {
    for (int i = 0; i < count; ++i) out[i] = EnginePowOneThirdHeld(x[i]);
}

void EnginePowManyHeld(const double* x, double y, double* out, int count) {
    for (int i = 0; i < count; ++i) out[i] = EnginePowHeld(x[i], y);
}

void EngineDivideManyHeld(const double* x, double divisor, double* out, int count) {
    for (int i = 0; i < count; ++i) out[i] = x[i] / divisor;
}
#endif

double EnginePow(double x, double y) {
    const EngineArithmetic arithmetic;
    return EnginePowHeld(x, y);
}

#if (defined(__i386__) || defined(__x86_64__)) && !defined(__SSE2_MATH__)
// x87 control word: precision control (bits 8-9) 10 = 53 bits, rounding
// control (bits 10-11) 00 = nearest, exceptions (bits 0-5) masked. The flags
// raised meanwhile are cleared before the caller's word, which may unmask
// them, comes back.
EngineArithmetic::EngineArithmetic() {
    unsigned short cw;
    __asm__ __volatile__("fnstcw %0" : "=m"(cw));
    m_saved = cw;
    const unsigned short wanted = static_cast<unsigned short>((cw & ~0x0F00u) | 0x023Fu);
    m_changed = wanted != cw;
    if (m_changed) __asm__ __volatile__("fldcw %0" : : "m"(wanted) : "memory");
}

EngineArithmetic::~EngineArithmetic() {
    if (m_changed) {
        const unsigned short cw = static_cast<unsigned short>(m_saved);
        __asm__ __volatile__("fnclex\n\tfldcw %0" : : "m"(cw) : "memory");
    }
}
#elif defined(__SSE2_MATH__)
// MXCSR: rounding control (bits 13-14) 00 = nearest, flush-to-zero (bit 15)
// and denormals-are-zero (bit 6) off, exceptions (bits 7-12) masked; the
// caller's word brings its own flags back.
EngineArithmetic::EngineArithmetic() : m_saved(_mm_getcsr()) {
    const unsigned wanted = (m_saved & ~0xE040u) | 0x1F80u;
    m_changed = wanted != m_saved;
    if (m_changed) _mm_setcsr(wanted);
}

EngineArithmetic::~EngineArithmetic() {
    if (m_changed) _mm_setcsr(m_saved);
}
#else
EngineArithmetic::EngineArithmetic() : m_saved(0), m_changed(false) {}
EngineArithmetic::~EngineArithmetic() {}
#endif
