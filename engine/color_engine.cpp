#include "engine/color_engine.h"

#include <array>
#include <cmath>
#include <cstring>

// The vector build needs SSE2 arithmetic beside it: the 32-bit build keeps
// to the x87 (and to what a Pentium has).
#if defined(__x86_64__) && defined(__SSE2_MATH__)
#define QV_X86 1
#include <immintrin.h>
#else
#define QV_X86 0
#endif

#include "engine/base_color_tables.h"
#include "engine/engine_math.h"

const double LightnessExponentTable[AdjustmentSteps] = {
    2.0, 1.9, 1.8, 1.7, 1.6, 1.5, 1.4, 1.3, 1.2, 1.1, 1.0,
    0.95, 0.9, 0.85, 0.8, 0.75, 0.7, 0.65, 0.6, 0.55, 0.5,
};
const double ContrastBlendTable[AdjustmentSteps] = {
    1.9, 1.8, 1.7, 1.6, 1.5, 1.4, 1.3, 1.2, 1.1, 1.0, 0.9,
    0.8, 0.7, 0.6, 0.5, 0.4, 0.3, 0.2, 0.1, 0.0, -0.1,
};
const double ChromaFactorTable[AdjustmentSteps] = {
    0.1, 0.2, 0.3, 0.4, 0.5, 0.6, 0.7, 0.8, 0.9, 1.0, 1.1,
    1.17, 1.24, 1.31, 1.38, 1.45, 1.52, 1.59, 1.66, 1.73, 1.8,
};

const double LabLightnessGrid[LabGridPoints] = {0, 10, 16, 22, 28, 34, 40, 46, 52, 58, 64, 70, 76, 82, 88, 94, 100};
const double LabChromaGrid[LabGridPoints] = {-120, -90, -60, -40, -30, -20, -10, -5, 0,
                                             5,    10,  20,  30,  40,  60,  90,  120};

namespace {

// The grids as integers, to precompute the cell of every integer part.
constexpr int LightnessGridInt[LabGridPoints] = {0, 10, 16, 22, 28, 34, 40, 46, 52, 58, 64, 70, 76, 82, 88, 94, 100};
constexpr int ChromaGridInt[LabGridPoints] = {-120, -90, -60, -40, -30, -20, -10, -5, 0, 5, 10, 20, 30, 40, 60, 90, 120};

// The upper index of a value's cell is the smallest index 0..15 whose grid
// value exceeds it, else 16. The grid values are integers, so the index
// depends only on floor(value): one table entry per integer of the range.
template <size_t N>
constexpr std::array<int32_t, N> UpperIndexTable(const int (&grid)[LabGridPoints]) {
    std::array<int32_t, N> upper{};
    for (size_t k = 0; k < N; ++k) {
        const int value = grid[0] + static_cast<int>(k);
        int u = 16;
        for (int i = 0; i < 16; ++i) {
            if (grid[i] > value) {
                u = i;
                break;
            }
        }
        upper[k] = u;
    }
    return upper;
}

constexpr auto LightnessUpper = UpperIndexTable<101>(LightnessGridInt);
constexpr auto ChromaUpper = UpperIndexTable<241>(ChromaGridInt);

// For the vector lookup, per integer part: the cell's upper grid value and
// its width, so that all three loads depend on the integer part alone.
template <size_t N>
struct CellBounds {
    std::array<double, N> Upper{};
    std::array<double, N> Width{};
};

template <size_t N>
constexpr CellBounds<N> CellBoundsTable(const int (&grid)[LabGridPoints], const std::array<int32_t, N>& upper) {
    CellBounds<N> cells{};
    for (size_t k = 0; k < N; ++k) {
        cells.Upper[k] = grid[upper[k]];
        cells.Width[k] = grid[upper[k]] - grid[upper[k] - 1];
    }
    return cells;
}

constexpr auto LightnessCells = CellBoundsTable(LightnessGridInt, LightnessUpper);
constexpr auto ChromaCells = CellBoundsTable(ChromaGridInt, ChromaUpper);

constexpr double Inv255 = 0.00392156862745098;
constexpr double InvWhiteX = 1.0370216737529814;
constexpr double WhiteZ = 0.8251;
constexpr double ChromaLimitValue = 120.0;

// v > low ? v : low, and v < high ? v : high, without branches where the
// machine has an instruction with exactly these semantics (NaN gives the bound).
inline double AtLeast(double v, double low) {
#if QV_X86
    return _mm_cvtsd_f64(_mm_max_sd(_mm_set_sd(v), _mm_set_sd(low)));
#else
    return v > low ? v : low;
#endif
}

inline double AtMost(double v, double high) {
#if QV_X86
    return _mm_cvtsd_f64(_mm_min_sd(_mm_set_sd(v), _mm_set_sd(high)));
#else
    return v < high ? v : high;
#endif
}

AdjustmentParameters g_parameters = {NormalBaseTable, 0.9, 1.0, 1.0, 1.0, 0.9, 1.1};
uint8_t g_rdt[RdtBytes];

int AdjustmentIndex(int32_t value) {
    const int64_t i = static_cast<int64_t>(value) + 10;
    return i < 0 ? 0 : (i > 20 ? 20 : static_cast<int>(i));
}

double BalanceGamma(int32_t value, double offset, double low, double high) {
    const double g = static_cast<double>(static_cast<int64_t>(value) + 10) * 0.05 + offset;
    return g < low ? low : (g > high ? high : g);
}

double LabCompand(double t) {
    return t > 0.008856 ? EnginePowOneThirdHeld(t) : 7.787 * t + 0.13793103448275862;
}

double ContrastCurve(double L, double k) {
    const double c = L * 0.01;
    // At or above 100 gives exactly 100, below 0 gives 0 (and so does NaN:
    // the lower limit comes first).
    return AtMost(AtLeast(L * (k + (3.0 * c - 2.0 * c * c) * (1.0 - k)), 0.0), 100.0);
}

double Linearise(int v, double gamma) {
    return EnginePowHeld(v * Inv255, 2.2 / gamma);
}

// Steps 2 and 3: linear RGB to XYZ (D50) to L*a*b*.
inline LabColor LinearToLab(double R, double G, double B, NodeTrace* trace) {
    const double X = 0.4361 * R + 0.3851 * G + 0.1431 * B;
    const double Y = 0.2225 * R + 0.7169 * G + 0.0606 * B;
    const double Z = 0.0139 * R + 0.0971 * G + 0.7141 * B;
    const double fx = LabCompand(X * InvWhiteX);
    const double fy = LabCompand(Y);
    const double fz = LabCompand(Z / WhiteZ);
    const LabColor lab = {116.0 * fy - 16.0, 500.0 * (fx - fy), 200.0 * (fy - fz)};
    if (trace) {
        trace->X = X;
        trace->Y = Y;
        trace->Z = Z;
        trace->Lab = lab;
    }
    return lab;
}

// Step 4, brightness. Filling a trace is optional so the table build pays
// nothing for it. Black is L* 0; a lightness at or below 0 (a rounding of
// black) stays 0 rather than becoming the power of a negative number, NaN.
inline double Brighten(const AdjustmentParameters& p, double L) {
    if (p.LightnessExponent == 1.0) return L;
    return L > 0.0 ? 100.0 * EnginePowHeld(L * 0.01, p.LightnessExponent) : 0.0;
}

// Steps 5 to 7, on a color whose lightness is already brightened.
inline LabColor AdjustBrightened(const AdjustmentParameters& p, LabColor lab, NodeTrace* trace) {
    double L = lab.L, a = lab.a, b = lab.b;
    if (p.ContrastBlend != 1.0) L = ContrastCurve(L, p.ContrastBlend);
    if (trace) trace->Contrast = {L, a, b};
    a *= p.ChromaFactor;
    b *= p.ChromaFactor;
    if (trace) trace->Saturation = {L, a, b};

    // The ratio is taken before the limited coordinate is replaced, so the hue stays.
    if (a > ChromaLimitValue) {
        b = ChromaLimitValue * (b / a);
        a = ChromaLimitValue;
    } else if (a < -ChromaLimitValue) {
        b = -ChromaLimitValue * (b / a);
        a = -ChromaLimitValue;
    }
    if (b > ChromaLimitValue) {
        a = ChromaLimitValue * (a / b);
        b = ChromaLimitValue;
    } else if (b < -ChromaLimitValue) {
        a = -ChromaLimitValue * (a / b);
        b = -ChromaLimitValue;
    }
    if (trace) trace->ChromaLimit = {L, a, b};
    return {L, a, b};
}

inline LabColor AdjustLab(const AdjustmentParameters& p, LabColor lab, NodeTrace* trace) {
    lab.L = Brighten(p, lab.L);
    if (trace) trace->Brightness = lab;
    return AdjustBrightened(p, lab, trace);
}

// Steps 1 to 3 of every node depend only on the three balance gammas. A
// rebuild with the same gammas (brightness, contrast or saturation moved)
// takes them from here; the values are the very doubles computed before.
// Their brightened lightness depends on the lightness exponent besides (the
// last table's, once the lattice is valid).
constexpr int LatticeNodes = RdtGrid * RdtGrid * RdtGrid;

struct LatticeLab {
    bool Valid = false;
    double Gamma[3] = {0.0, 0.0, 0.0};
    double L[LatticeNodes];
    double A[LatticeNodes];
    double B[LatticeNodes];
    double Exponent = 0.0;
    double BrightL[LatticeNodes];
};
LatticeLab g_latticeLab;

// The base table in use, widened to doubles, so the build's lookups multiply
// without converting bytes.
struct WideBaseTable {
    const uint8_t* Source = nullptr;
    alignas(32) double Entry[RdtGrid * RdtGrid * RdtGrid * 4];
};
WideBaseTable g_wideBase;

const double* WidenedBaseTable(const uint8_t* table) {
    if (g_wideBase.Source != table) {
        for (int i = 0; i < RdtGrid * RdtGrid * RdtGrid; ++i) {
            for (int c = 0; c < 3; ++c) g_wideBase.Entry[i * 4 + c] = table[i * 3 + c];
            g_wideBase.Entry[i * 4 + 3] = 0.0;
        }
        g_wideBase.Source = table;
    }
    return g_wideBase.Entry;
}

struct GridCell {
    int Upper;     // the cell is (Upper - 1, Upper)
    double Lower;  // weight of the lower node
};

// The cells of each node's chroma coordinates in the last table built, the
// saturation they were found for, and that table's contrast and base table.
struct KeptChromaCells {
    bool Valid = false;
    double Factor = 0.0;
    double Contrast = 0.0;
    const uint8_t* Base = nullptr;
    GridCell A[LatticeNodes];
    GridCell B[LatticeNodes];
};
KeptChromaCells g_chromaCells;

// The lightness cells of the table being built.
GridCell g_lightnessCells[LatticeNodes];

// 1 when v < 0, else 0, for v that is not -0: on the x87 by the sign of the
// float it rounds to, not by a comparison through its slow status word. A
// difference x - y is -0 only for x = -0 and y = 0.
inline int Negative(double v) {
#if (defined(__i386__) || defined(__x86_64__)) && !defined(__SSE2_MATH__)
    const float f = static_cast<float>(v);
    uint32_t bits;
    std::memcpy(&bits, &f, sizeof bits);
    return static_cast<int>(bits >> 31);
#else
    return v < 0.0;
#endif
}

// An integer k with floor(v) <= k <= floor(v) + 1, for 0 <= v < 2^31. On the
// x87 a conversion to int switches the rounding mode twice (fldcw, which the
// Pentium II serialises on); here the held rounding to nearest does it:
// adding 1.5 * 2^52 leaves v rounded to an integer in the sum's low word.
inline int NearInteger(double v) {
#if (defined(__i386__) || defined(__x86_64__)) && !defined(__SSE2_MATH__)
    const double s = v + 0x1.8p52;
    uint32_t low;
    std::memcpy(&low, &s, sizeof low);  // little-endian: the low word
    return static_cast<int>(low);
#else
    return static_cast<int>(v);
#endif
}

// floor(v) for 0 <= v < 2^31 (not -0): v less its nearest integer is exact,
// and its sign says whether that was rounded up.
inline int FloorNonNegative(double v) {
#if (defined(__i386__) || defined(__x86_64__)) && !defined(__SSE2_MATH__)
    // NearInteger's sum, kept: the integer back as a double costs a store and a load.
    constexpr double Shift = 0x1.8p52;
    const double s = v + Shift;
    uint32_t low;
    std::memcpy(&low, &s, sizeof low);  // little-endian: the low word
    return static_cast<int>(low) - Negative(v - (s - Shift));
#else
    return static_cast<int>(v);
#endif
}

// Limits v to [grid[0], grid[16]] (NaN becomes grid[0], so no input can
// index outside the table; Limited: the caller has done so) and finds its
// cell. The table gives the cell of floor(v - grid[0]); an index one above
// it (v - grid[0] rounded up, to nearest or onto the next integer) skips at
// most the one grid value at that integer, which the sign of v less it
// undoes. Lower holds grid[u] - v, for DivideCells or LocateInGrid to divide.
template <bool Limited = false>
inline GridCell CellWithNumerator(double v, const double (&grid)[LabGridPoints], const int32_t* upper) {
    if (!Limited) v = AtMost(AtLeast(v, grid[0]), grid[16]) + 0.0;  // -0 becomes 0
    int u = upper[NearInteger(v - grid[0])];
    u -= Negative(v - grid[u - 1]);
    return {u, grid[u] - v};
}

inline GridCell LocateInGrid(double v, const double (&grid)[LabGridPoints], const int32_t* upper) {
    GridCell cell = CellWithNumerator(v, grid, upper);
    cell.Lower /= grid[cell.Upper] - grid[cell.Upper - 1];
    return cell;
}

// The cells' lower weights: numerator / (grid[u] - grid[u - 1]), the
// division's bits. On x86 at the x87's extended precision, a multiplication
// by the width's reciprocal in the extended format, within 2 units of the
// product's last place (the reciprocal's rounding and its own), so
// RoundsWithCertainty gives the correctly rounded quotient: the widths are
// not powers of two, so no quotient lies on a midpoint between doubles, and
// numerators are 0 or far above the smallest normal double (a coordinate is
// that close to a grid value only by being it). The few the test leaves are
// divided at double precision afterwards.
#if defined(__i386__) || defined(__x86_64__)
using Reciprocals = std::array<long double, LabGridPoints>;

constexpr Reciprocals WidthReciprocals(const int (&grid)[LabGridPoints]) {
    Reciprocals r{};
    for (int u = 1; u < LabGridPoints; ++u) r[u] = 1.0L / (grid[u] - grid[u - 1]);
    return r;
}

constexpr Reciprocals LightnessReciprocals = WidthReciprocals(LightnessGridInt);
constexpr Reciprocals ChromaReciprocals = WidthReciprocals(ChromaGridInt);

void DivideCells(GridCell* cells, int count, const double (&grid)[LabGridPoints], const Reciprocals& reciprocal) {
    constexpr int Redo = 1 << 16;  // set in Upper
    int left = 0;
    {
        const ExtendedArithmetic extended;
        for (int i = 0; i < count; ++i) {
            GridCell& cell = cells[i];
            if (!RoundsWithCertainty(cell.Lower * reciprocal[cell.Upper], 2, cell.Lower)) {
                cell.Upper |= Redo;
                ++left;
            }
        }
    }
    for (int i = 0; left > 0 && i < count; ++i) {
        GridCell& cell = cells[i];
        if (cell.Upper & Redo) {
            --left;
            cell.Upper &= ~Redo;
            cell.Lower /= grid[cell.Upper] - grid[cell.Upper - 1];
        }
    }
}
#else
struct Reciprocals {};
constexpr Reciprocals LightnessReciprocals{}, ChromaReciprocals{};

void DivideCells(GridCell* cells, int count, const double (&grid)[LabGridPoints], const Reciprocals&) {
    for (int i = 0; i < count; ++i) cells[i].Lower /= grid[cells[i].Upper] - grid[cells[i].Upper - 1];
}
#endif

// Entries of T, Stride values apart (three bytes in a base table, or four
// doubles in its widened copy); the products and sums are the same doubles.
// Corners in the order (L, a, b) = 000, 001, 010, ... 111; the sums are
// formed in that order, the first product standing for 0 plus itself.
template <typename T, int Stride>
inline DeviceColor LookupInCells(const T* baseTable, GridCell cl, GridCell ca, GridCell cb) {
    const double upperB = 1.0 - cb.Lower;
    const double wL[2] = {cl.Lower, 1.0 - cl.Lower};
    const double wa[2] = {ca.Lower, 1.0 - ca.Lower};
    const T* cell = baseTable + (((cl.Upper - 1) * 17 + (ca.Upper - 1)) * 17 + (cb.Upper - 1)) * Stride;
    DeviceColor sum;
    auto corner = [&](int iL, int ia, bool first) {
        const double w = wL[iL] * wa[ia];
        const double wLow = w - w * upperB;
        const double wHigh = w * upperB;
        const T* e = cell + (iL * 17 + ia) * 17 * Stride;
        sum.Red = first ? e[0] * wLow : sum.Red + e[0] * wLow;
        sum.Green = first ? e[1] * wLow : sum.Green + e[1] * wLow;
        sum.Blue = first ? e[2] * wLow : sum.Blue + e[2] * wLow;
        sum.Red += e[Stride] * wHigh;
        sum.Green += e[Stride + 1] * wHigh;
        sum.Blue += e[Stride + 2] * wHigh;
    };
    corner(0, 0, true);
    corner(0, 1, false);
    corner(1, 0, false);
    corner(1, 1, false);
    return sum;
}

template <typename T, int Stride>
inline DeviceColor Lookup(const T* baseTable, double L, double a, double b) {
    return LookupInCells<T, Stride>(baseTable, LocateInGrid(L, LabLightnessGrid, LightnessUpper.data()),
                                    LocateInGrid(a, LabChromaGrid, ChromaUpper.data()),
                                    LocateInGrid(b, LabChromaGrid, ChromaUpper.data()));
}

int ClampInput(int v) {
    return v < 0 ? 0 : (v > 256 ? 256 : v);
}

// A looked-up channel as the table stores it. The weights are at least 0 and
// sum to 1 within a few units in the last place, so v lies in [0, 255 + 2^-40]
// and its floor is the byte.
uint8_t ChannelByte(double v) {
    return static_cast<uint8_t>(FloorNonNegative(v));
}

}  // namespace

const uint8_t* SelectBaseColorTable(int32_t baseColor) {
    switch (baseColor) {
    case 2:
    case 4:
        return DocumentBaseTable;
    case 3:
        return PhotoBaseTable;
    default:
        return NormalBaseTable;
    }
}

void PrepareAdjustment(const ColorAdjustment& color) {
    const EngineArithmetic arithmetic;
    AdjustmentParameters& p = g_parameters;
    p.BaseColorTable = SelectBaseColorTable(color.BaseColor);
    p.GammaRed = BalanceGamma(color.CyanRed, 0.4, 0.4, 1.4);
    p.GammaGreen = BalanceGamma(color.MagentaGreen, 0.5, 0.5, 1.5);
    p.GammaBlue = BalanceGamma(color.YellowBlue, 0.5, 0.5, 1.5);
    p.LightnessExponent = LightnessExponentTable[AdjustmentIndex(color.Bright)];
    p.ContrastBlend = ContrastBlendTable[AdjustmentIndex(color.Contrast)];
    p.ChromaFactor = ChromaFactorTable[AdjustmentIndex(color.Fullness)];
}

const AdjustmentParameters& CurrentAdjustment() {
    return g_parameters;
}

DeviceColor LabToDeviceIn(const uint8_t* baseTable, double L, double a, double b) {
    const EngineArithmetic arithmetic;
    return Lookup<uint8_t, 3>(baseTable, L, a, b);
}

DeviceColor LabToDevice(double L, double a, double b) {
    return LabToDeviceIn(g_parameters.BaseColorTable, L, a, b);
}

NodeTrace TraceNode(int r, int g, int b) {
    const EngineArithmetic arithmetic;
    const AdjustmentParameters& p = g_parameters;
    NodeTrace t{};
    t.LinearRed = Linearise(ClampInput(r), p.GammaRed);
    t.LinearGreen = Linearise(ClampInput(g), p.GammaGreen);
    t.LinearBlue = Linearise(ClampInput(b), p.GammaBlue);
    const LabColor lab = AdjustLab(p, LinearToLab(t.LinearRed, t.LinearGreen, t.LinearBlue, &t), &t);
    t.Device = LabToDeviceIn(p.BaseColorTable, lab.L, lab.a, lab.b);
    return t;
}

DeviceColor AdjustNode(int r, int g, int b) {
    const EngineArithmetic arithmetic;
    const AdjustmentParameters& p = g_parameters;
    const LabColor lab = AdjustLab(p,
                                   LinearToLab(Linearise(ClampInput(r), p.GammaRed),
                                               Linearise(ClampInput(g), p.GammaGreen),
                                               Linearise(ClampInput(b), p.GammaBlue), nullptr),
                                   nullptr);
    return LabToDeviceIn(p.BaseColorTable, lab.L, lab.a, lab.b);
}

#if QV_X86
namespace {

__attribute__((target("avx2"))) inline __m256d Select(__m256d mask, __m256d yes, __m256d no) {
    return _mm256_blendv_pd(no, yes, mask);
}

// A gather of four doubles (the masked form: the plain one trips a false
// uninitialised-value warning in GCC 12).
__attribute__((target("avx2"))) inline __m256d GatherDoubles(const double* table, __m128i index) {
    const __m256d all = _mm256_castsi256_pd(_mm256_set1_epi64x(-1));
    return _mm256_mask_i32gather_pd(_mm256_setzero_pd(), table, index, all, 8);
}

struct VectorCell {
    __m128i Upper;
    __m256d Lower;
};

// The vector unit floors exactly, so the integer part indexes the cell
// directly, with no correction afterwards.
template <size_t N>
__attribute__((target("avx2"))) inline VectorCell LocateFour(__m256d v, const double (&grid)[LabGridPoints],
                                                           const std::array<int32_t, N>& upper,
                                                           const CellBounds<N>& cells) {
    const __m256d first = _mm256_set1_pd(grid[0]);
    v = _mm256_min_pd(_mm256_max_pd(v, first), _mm256_set1_pd(grid[16]));
    const __m128i k = _mm256_cvttpd_epi32(_mm256_sub_pd(_mm256_floor_pd(v), first));
    const __m128i u = _mm_i32gather_epi32(upper.data(), k, 4);
    const __m256d hi = GatherDoubles(cells.Upper.data(), k);
    const __m256d width = GatherDoubles(cells.Width.data(), k);
    return {u, _mm256_div_pd(_mm256_sub_pd(hi, v), width)};
}

// The lookup of four L*a*b* colors in a widened base table, truncated to bytes.
__attribute__((target("avx2"))) inline void LookupFourToBytes(const double* base, __m256d L, __m256d a, __m256d b,
                                                            uint8_t* out) {
    const __m256d one = _mm256_set1_pd(1.0), zero = _mm256_setzero_pd();
    const __m128i seventeen = _mm_set1_epi32(17), oneI = _mm_set1_epi32(1);
    const VectorCell cl = LocateFour(L, LabLightnessGrid, LightnessUpper, LightnessCells);
    const VectorCell ca = LocateFour(a, LabChromaGrid, ChromaUpper, ChromaCells);
    const VectorCell cb = LocateFour(b, LabChromaGrid, ChromaUpper, ChromaCells);
    const __m256d upperB = _mm256_sub_pd(one, cb.Lower);
    const __m256d wL[2] = {cl.Lower, _mm256_sub_pd(one, cl.Lower)};
    const __m256d wa[2] = {ca.Lower, _mm256_sub_pd(one, ca.Lower)};
    alignas(32) double weight[8][4];
    for (int iL = 0; iL < 2; ++iL) {
        for (int ia = 0; ia < 2; ++ia) {
            const __m256d w = _mm256_mul_pd(wL[iL], wa[ia]);
            _mm256_store_pd(weight[(iL * 2 + ia) * 2], _mm256_sub_pd(w, _mm256_mul_pd(w, upperB)));
            _mm256_store_pd(weight[(iL * 2 + ia) * 2 + 1], _mm256_mul_pd(w, upperB));
        }
    }
    alignas(16) int32_t cell[4];
    _mm_store_si128(reinterpret_cast<__m128i*>(cell),
                    _mm_add_epi32(_mm_mullo_epi32(_mm_add_epi32(_mm_mullo_epi32(_mm_sub_epi32(cl.Upper, oneI),
                                                                                seventeen),
                                                                _mm_sub_epi32(ca.Upper, oneI)),
                                                  seventeen),
                                  _mm_sub_epi32(cb.Upper, oneI)));

    // Per node, the lanes are red, green, blue (and a zero): each channel
    // sums its eight corners in the scalar order.
    static constexpr int Corner[8] = {0, 1, 17, 18, 289, 290, 306, 307};
    for (int j = 0; j < 4; ++j, out += 3) {
        const double* e = base + cell[j] * 4;
        __m256d sum = zero;
        for (int c = 0; c < 8; ++c)
            sum = _mm256_add_pd(sum, _mm256_mul_pd(_mm256_load_pd(e + Corner[c] * 4), _mm256_set1_pd(weight[c][j])));
        sum = _mm256_min_pd(_mm256_max_pd(sum, zero), _mm256_set1_pd(255.0));
        const __m128i bytes = _mm256_cvttpd_epi32(sum);
        out[0] = static_cast<uint8_t>(_mm_cvtsi128_si32(bytes));
        out[1] = static_cast<uint8_t>(_mm_extract_epi32(bytes, 1));
        out[2] = static_cast<uint8_t>(_mm_extract_epi32(bytes, 2));
    }
}

__attribute__((target("avx2"))) void LookupFourAvx2(const double* base, const LabColor* lab, uint8_t* out) {
    LookupFourToBytes(base, _mm256_setr_pd(lab[0].L, lab[1].L, lab[2].L, lab[3].L),
                      _mm256_setr_pd(lab[0].a, lab[1].a, lab[2].a, lab[3].a),
                      _mm256_setr_pd(lab[0].b, lab[1].b, lab[2].b, lab[3].b), out);
}

// Steps 5 to 7 and the lookup for four nodes at a time: the very operations
// of AdjustBrightened, LocateInGrid and Lookup in the same order, on doubles
// in vector lanes (no fused multiply-add), so every byte equals the scalar
// one. Returns how many nodes it did; the caller does the rest.
__attribute__((target("avx2"))) int AdjustAndLookupAvx2(const AdjustmentParameters& p, const LatticeLab& lattice,
                                                        const double* base, uint8_t* out) {
    const __m256d zero = _mm256_setzero_pd();
    const __m256d limit = _mm256_set1_pd(ChromaLimitValue), negLimit = _mm256_set1_pd(-ChromaLimitValue);
    const __m256d k = _mm256_set1_pd(p.ContrastBlend), oneMinusK = _mm256_set1_pd(1.0 - p.ContrastBlend);
    const __m256d factor = _mm256_set1_pd(p.ChromaFactor);
    const bool contrast = p.ContrastBlend != 1.0;

    int i = 0;
    for (; i + 4 <= LatticeNodes; i += 4) {
        __m256d L = _mm256_loadu_pd(lattice.BrightL + i);
        __m256d a = _mm256_loadu_pd(lattice.A + i);
        __m256d b = _mm256_loadu_pd(lattice.B + i);
        if (contrast) {
            const __m256d c = _mm256_mul_pd(L, _mm256_set1_pd(0.01));
            const __m256d s = _mm256_sub_pd(_mm256_mul_pd(_mm256_set1_pd(3.0), c),
                                            _mm256_mul_pd(_mm256_mul_pd(_mm256_set1_pd(2.0), c), c));
            L = _mm256_mul_pd(L, _mm256_add_pd(k, _mm256_mul_pd(s, oneMinusK)));
            L = _mm256_min_pd(_mm256_max_pd(L, zero), _mm256_set1_pd(100.0));
        }
        a = _mm256_mul_pd(a, factor);
        b = _mm256_mul_pd(b, factor);
        {
            const __m256d over = _mm256_cmp_pd(a, limit, _CMP_GT_OQ);
            const __m256d under = _mm256_cmp_pd(a, negLimit, _CMP_LT_OQ);
            const __m256d ratio = _mm256_div_pd(b, a);
            b = Select(over, _mm256_mul_pd(limit, ratio), Select(under, _mm256_mul_pd(negLimit, ratio), b));
            a = Select(over, limit, Select(under, negLimit, a));
        }
        {
            const __m256d over = _mm256_cmp_pd(b, limit, _CMP_GT_OQ);
            const __m256d under = _mm256_cmp_pd(b, negLimit, _CMP_LT_OQ);
            const __m256d ratio = _mm256_div_pd(a, b);
            a = Select(over, _mm256_mul_pd(limit, ratio), Select(under, _mm256_mul_pd(negLimit, ratio), a));
            b = Select(over, limit, Select(under, negLimit, b));
        }

        LookupFourToBytes(base, L, a, b, out);
        out += 12;
    }
    return i;
}

}  // namespace
#endif

namespace {

bool g_vectorBuild = true;

#if QV_X86
bool UseVectorBuild() {
    static const bool avx2 = (__builtin_cpu_init(), __builtin_cpu_supports("avx2") != 0);
    return avx2 && g_vectorBuild;
}
#endif

}  // namespace

void SetVectorBuild(bool enabled) {
    g_vectorBuild = enabled;
}

#if QV_X86
namespace {

// Steps 2 and 3 for the whole lattice, the operations of LinearToLab node by
// node, with the cube roots four at a time.
void LatticeLabAvx2(const double (&linear)[3][RdtGrid], LatticeLab& lattice) {
    static double t[3][LatticeNodes + 3], f[3][LatticeNodes + 3];  // whole groups of four
    int i = 0;
    for (int ri = 0; ri < RdtGrid; ++ri) {
        for (int gi = 0; gi < RdtGrid; ++gi) {
            for (int bi = 0; bi < RdtGrid; ++bi, ++i) {
                const double R = linear[0][ri], G = linear[1][gi], B = linear[2][bi];
                t[0][i] = (0.4361 * R + 0.3851 * G + 0.1431 * B) * InvWhiteX;
                t[1][i] = 0.2225 * R + 0.7169 * G + 0.0606 * B;
                t[2][i] = (0.0139 * R + 0.0971 * G + 0.7141 * B) / WhiteZ;
            }
        }
    }
    for (int c = 0; c < 3; ++c) {
        for (int n = 0; n < LatticeNodes; n += 4) {
            const int left = EnginePowOneThirdFourAvx2(&t[c][n], &f[c][n]);
            for (int l = 0; l < 4; ++l) {
                if (!(t[c][n + l] > 0.008856) || (left >> l & 1)) f[c][n + l] = LabCompand(t[c][n + l]);
            }
        }
    }
    for (i = 0; i < LatticeNodes; ++i) {
        lattice.L[i] = 116.0 * f[1][i] - 16.0;
        lattice.A[i] = 500.0 * (f[0][i] - f[1][i]);
        lattice.B[i] = 200.0 * (f[1][i] - f[2][i]);
    }
}

}  // namespace
#endif

namespace {

// LabCompand of every t[i], the cube roots in one batch through root.
// The lattice's t are never negative, so their bits compare as integers (on
// the x87 a comparison of doubles goes through its slow status word).
void CompandLattice(double* t, double* root, int count) {
    EnginePowOneThirdManyHeld(t, root, count);
    constexpr double Limit = 0.008856;
    uint64_t limit;
    std::memcpy(&limit, &Limit, sizeof limit);
    for (int i = 0; i < count; ++i) {
        uint64_t bits;
        std::memcpy(&bits, &t[i], sizeof bits);
        t[i] = bits > limit ? root[i] : 7.787 * t[i] + 0.13793103448275862;
    }
}

// A color-balance slider moves one gamma. The nodes at 0 on that channel's
// axis have the linear value 0 whatever the gamma, so they keep their
// L*a*b*, and with the other values unchanged their cells and bytes: such a
// rebuild goes over the other nodes only. ForNodesOff calls f(begin, end)
// for the runs of nodes off that plane (all nodes for axis -1).
template <typename F>
void ForNodesOff(int axis, const F& f) {
    constexpr int Plane = RdtGrid * RdtGrid;
    switch (axis) {
    case 0:
        f(Plane, LatticeNodes);
        break;
    case 1:
        for (int n = 0; n < LatticeNodes; n += Plane) f(n + RdtGrid, n + Plane);
        break;
    case 2:
        for (int n = 0; n < LatticeNodes; n += RdtGrid) f(n + 1, n + RdtGrid);
        break;
    default:
        f(0, LatticeNodes);
    }
}

// Steps 2 and 3 for the lattice's nodes off the kept plane, the operations
// of LinearToLab node by node, with the cube roots of each coordinate in
// batches: X, Y and Z and then fx, fy and fz are kept in A, L and B,
// BrightL (which a new lattice invalidates there) holds the roots meanwhile.
void LatticeLabBatched(const double (&linear)[3][RdtGrid], LatticeLab& lattice, int keptAxis) {
    int i = 0;
    for (int ri = 0; ri < RdtGrid; ++ri) {
        for (int gi = 0; gi < RdtGrid; ++gi) {
            for (int bi = 0; bi < RdtGrid; ++bi, ++i) {
                if ((keptAxis == 0 && ri == 0) || (keptAxis == 1 && gi == 0) || (keptAxis == 2 && bi == 0)) continue;
                const double R = linear[0][ri], G = linear[1][gi], B = linear[2][bi];
                lattice.A[i] = (0.4361 * R + 0.3851 * G + 0.1431 * B) * InvWhiteX;
                lattice.L[i] = 0.2225 * R + 0.7169 * G + 0.0606 * B;
                lattice.B[i] = 0.0139 * R + 0.0971 * G + 0.7141 * B;
            }
        }
    }
    ForNodesOff(keptAxis, [&lattice](int begin, int end) {
        const int count = end - begin;
        EngineDivideManyHeld(lattice.B + begin, WhiteZ, lattice.B + begin, count);
        CompandLattice(lattice.A + begin, lattice.BrightL + begin, count);
        CompandLattice(lattice.L + begin, lattice.BrightL + begin, count);
        CompandLattice(lattice.B + begin, lattice.BrightL + begin, count);
        for (int n = begin; n < end; ++n) {
            const double fy = lattice.L[n];
            lattice.L[n] = 116.0 * fy - 16.0;
            lattice.A[n] = 500.0 * (lattice.A[n] - fy);
            lattice.B[n] = 200.0 * (fy - lattice.B[n]);
        }
    });
}

// Brighten of the lattice lightness off the kept plane, the powers in batches.
void BrightenLattice(double exponent, LatticeLab& lattice, int keptAxis) {
    ForNodesOff(keptAxis, [exponent, &lattice](int begin, int end) {
        const double* L = lattice.L;
        double* const bright = lattice.BrightL;
        if (exponent == 1.0) {
            std::memcpy(bright + begin, L + begin, (end - begin) * sizeof *bright);
            return;
        }
        for (int i = begin; i < end; ++i) bright[i] = L[i] > 0.0 ? L[i] * 0.01 : 1.0;
        EnginePowManyHeld(bright + begin, exponent, bright + begin, end - begin);
        for (int i = begin; i < end; ++i) bright[i] = L[i] > 0.0 ? 100.0 * bright[i] : 0.0;
    });
}

// Steps 5 to 7 and the lookup for nodes [begin, end): the cells first, their
// divisions in batches, then the lookups. With keptCells the chroma cells
// are those of the last build. The contrast curve leaves the lightness
// within the grid already; the lattice's chroma coordinates are finite, and
// the chroma limit leaves them within the grid.
void AdjustAndLookUp(const AdjustmentParameters& p, const LatticeLab& lattice, const double* base, bool keptCells,
                     int begin, int end) {
    KeptChromaCells& chroma = g_chromaCells;
    const bool contrast = p.ContrastBlend != 1.0;
    GridCell* lightness = g_lightnessCells;
    for (int i = begin; i < end; ++i) {
        double L = lattice.BrightL[i];
        if (keptCells) {
            if (contrast) L = ContrastCurve(L, p.ContrastBlend);
        } else {
            const LabColor lab = AdjustBrightened(p, {L, lattice.A[i], lattice.B[i]}, nullptr);
            L = lab.L;
            chroma.A[i] = CellWithNumerator<true>(lab.a, LabChromaGrid, ChromaUpper.data());
            chroma.B[i] = CellWithNumerator<true>(lab.b, LabChromaGrid, ChromaUpper.data());
        }
        lightness[i] = contrast ? CellWithNumerator<true>(L, LabLightnessGrid, LightnessUpper.data())
                                : CellWithNumerator(L, LabLightnessGrid, LightnessUpper.data());
    }
    const int count = end - begin;
    DivideCells(lightness + begin, count, LabLightnessGrid, LightnessReciprocals);
    if (!keptCells) {
        DivideCells(chroma.A + begin, count, LabChromaGrid, ChromaReciprocals);
        DivideCells(chroma.B + begin, count, LabChromaGrid, ChromaReciprocals);
    }
    uint8_t* out = g_rdt + begin * 3;
    for (int i = begin; i < end; ++i, out += 3) {
        const DeviceColor d = LookupInCells<double, 4>(base, lightness[i], chroma.A[i], chroma.B[i]);
        out[0] = ChannelByte(d.Red);
        out[1] = ChannelByte(d.Green);
        out[2] = ChannelByte(d.Blue);
    }
}

}  // namespace

void BuildRdt(const ColorAdjustment& color) {
    const EngineArithmetic arithmetic;
    PrepareAdjustment(color);
    const AdjustmentParameters& p = g_parameters;
    const double gamma[3] = {p.GammaRed, p.GammaGreen, p.GammaBlue};
#if QV_X86
    const bool vector = UseVectorBuild();
#else
    constexpr bool vector = false;
#endif

    LatticeLab& lattice = g_latticeLab;
    KeptChromaCells& chroma = g_chromaCells;
    const bool brightKept = lattice.Valid && lattice.Exponent == p.LightnessExponent;
    bool latticeMoved = !lattice.Valid;
    int keptAxis = -1;  // the plane of nodes that keep their L*a*b*, if one gamma moved
    for (int c = 0; c < 3; ++c) {
        if (lattice.Valid && lattice.Gamma[c] != gamma[c]) {
            keptAxis = latticeMoved ? -1 : c;
            latticeMoved = true;
        }
    }
    if (vector) keptAxis = -1;
    if (latticeMoved) {
        // Each channel takes only the 17 lattice values, so its linearisation
        // is computed once per value instead of once per node.
        double linear[3][RdtGrid];
        for (int n = 0; n < RdtGrid; ++n) {
            for (int c = 0; c < 3; ++c) linear[c][n] = Linearise(n * 16, gamma[c]);
        }
#if QV_X86
        if (vector) {
            LatticeLabAvx2(linear, lattice);
        } else
#endif
        {
            LatticeLabBatched(linear, lattice, keptAxis);
        }
        for (int c = 0; c < 3; ++c) lattice.Gamma[c] = gamma[c];
        lattice.Valid = true;
    }
    if (!brightKept || latticeMoved) {
        BrightenLattice(p.LightnessExponent, lattice, brightKept ? keptAxis : -1);
        lattice.Exponent = p.LightnessExponent;
    }

    const double* base = WidenedBaseTable(p.BaseColorTable);
    int done = 0;
#if QV_X86
    if (vector) done = AdjustAndLookupAvx2(p, lattice, base, g_rdt);
#endif
    // The chroma coordinates and their cells depend on the lattice and the
    // saturation only: a rebuild for contrast or brightness takes them from
    // the previous build and locates the lightness alone. A rebuild for one
    // gamma leaves the nodes on the kept plane as the previous build made
    // them, when everything else is as it was.
    const bool sameRest = done == 0 && chroma.Valid && chroma.Factor == p.ChromaFactor;
    if (sameRest && keptAxis >= 0 && brightKept && chroma.Contrast == p.ContrastBlend &&
        chroma.Base == p.BaseColorTable) {
        ForNodesOff(keptAxis, [&](int begin, int end) { AdjustAndLookUp(p, lattice, base, false, begin, end); });
    } else {
        AdjustAndLookUp(p, lattice, base, sameRest && !latticeMoved, done, LatticeNodes);
    }
    chroma.Valid = done == 0;
    chroma.Factor = p.ChromaFactor;
    chroma.Contrast = p.ContrastBlend;
    chroma.Base = p.BaseColorTable;
}

void LookupToBytes(const uint8_t* baseTable, const LabColor* lab, uint8_t* out, size_t count) {
    const EngineArithmetic arithmetic;
    const double* base = WidenedBaseTable(baseTable);
    size_t i = 0;
#if QV_X86
    if (UseVectorBuild()) {
        for (; i + 4 <= count; i += 4, out += 12) {
            LookupFourAvx2(base, lab + i, out);
        }
    }
#endif
    for (; i < count; ++i, out += 3) {
        const DeviceColor d = Lookup<double, 4>(base, lab[i].L, lab[i].a, lab[i].b);
        out[0] = ChannelByte(d.Red);
        out[1] = ChannelByte(d.Green);
        out[2] = ChannelByte(d.Blue);
    }
}

const uint8_t* CurrentRdt() {
    return g_rdt;
}

void MapThroughTable(const uint8_t* rdt, uint8_t r, uint8_t g, uint8_t b, uint8_t* outR, uint8_t* outG,
                     uint8_t* outB) {
    const unsigned fr = r & 15u, fg = g & 15u, fb = b & 15u;
    const unsigned wr[2] = {16u - fr, fr}, wg[2] = {16u - fg, fg}, wb[2] = {16u - fb, fb};
    const uint8_t* cell = rdt + (((r >> 4) * 17u + (g >> 4)) * 17u + (b >> 4)) * 3u;
    uint32_t sum[3] = {0, 0, 0};
    for (int dr = 0; dr < 2; ++dr) {
        for (int dg = 0; dg < 2; ++dg) {
            for (int db = 0; db < 2; ++db) {
                const uint32_t w = wr[dr] * wg[dg] * wb[db];
                const uint8_t* e = cell + ((dr * 17 + dg) * 17 + db) * 3;
                sum[0] += w * e[0];
                sum[1] += w * e[1];
                sum[2] += w * e[2];
            }
        }
    }
    *outR = static_cast<uint8_t>(sum[0] >> 12);
    *outG = static_cast<uint8_t>(sum[1] >> 12);
    *outB = static_cast<uint8_t>(sum[2] >> 12);
}

void MapThroughRdt(uint8_t r, uint8_t g, uint8_t b, uint8_t* outR, uint8_t* outG, uint8_t* outB) {
    MapThroughTable(g_rdt, r, g, b, outR, outG, outB);
}
