#include "engine/color_engine.h"

#include <array>
#include <cmath>

#include "engine/base_color_tables.h"

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
constexpr std::array<uint8_t, N> UpperIndexTable(const int (&grid)[LabGridPoints]) {
    std::array<uint8_t, N> upper{};
    for (size_t k = 0; k < N; ++k) {
        const int value = grid[0] + static_cast<int>(k);
        int u = 16;
        for (int i = 0; i < 16; ++i) {
            if (grid[i] > value) {
                u = i;
                break;
            }
        }
        upper[k] = static_cast<uint8_t>(u);
    }
    return upper;
}

constexpr auto LightnessUpper = UpperIndexTable<101>(LightnessGridInt);
constexpr auto ChromaUpper = UpperIndexTable<241>(ChromaGridInt);

constexpr double Inv255 = 0.00392156862745098;
constexpr double InvWhiteX = 1.0370216737529814;
constexpr double WhiteZ = 0.8251;
constexpr double ChromaLimitValue = 120.0;

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
    return t > 0.008856 ? std::pow(t, 0.3333333333333333) : 7.787 * t + 0.13793103448275862;
}

double ContrastCurve(double L, double k) {
    const double c = L * 0.01;
    const double result = L * (k + (3.0 * c - 2.0 * c * c) * (1.0 - k));
    if (result >= 100.0) return 100.0;
    if (result < 0.0) return 0.0;
    return result;
}

double Linearise(int v, double gamma) {
    return std::pow(v * Inv255, 2.2 / gamma);
}

// Steps 2 to 7 of the chain, from linear RGB to the L*a*b* that is looked up.
// Filling the trace is optional so the table build pays nothing for it.
inline LabColor LinearToAdjustedLab(const AdjustmentParameters& p, double R, double G, double B, NodeTrace* trace) {
    const double X = 0.4361 * R + 0.3851 * G + 0.1431 * B;
    const double Y = 0.2225 * R + 0.7169 * G + 0.0606 * B;
    const double Z = 0.0139 * R + 0.0971 * G + 0.7141 * B;
    const double fx = LabCompand(X * InvWhiteX);
    const double fy = LabCompand(Y);
    const double fz = LabCompand(Z / WhiteZ);
    double L = 116.0 * fy - 16.0;
    double a = 500.0 * (fx - fy);
    double b = 200.0 * (fy - fz);
    if (trace) {
        trace->X = X;
        trace->Y = Y;
        trace->Z = Z;
        trace->Lab = {L, a, b};
    }

    if (p.LightnessExponent != 1.0) L = 100.0 * std::pow(L * 0.01, p.LightnessExponent);
    if (trace) trace->Brightness = {L, a, b};
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

struct GridCell {
    int Upper;     // the cell is (Upper - 1, Upper)
    double Lower;  // weight of the lower node
};

// Limits v to [grid[0], grid[16]] (NaN becomes grid[0], so no input can
// index outside the table) and finds its cell. v - grid[0] is never negative,
// so truncation is floor; the sum may round up onto the next integer, which
// the one comparison after the table lookup undoes.
template <size_t N>
inline GridCell LocateInGrid(double v, const double (&grid)[LabGridPoints], const std::array<uint8_t, N>& upper) {
    v = v > grid[0] ? v : grid[0];
    v = v < grid[16] ? v : grid[16];
    int u = upper[static_cast<size_t>(static_cast<int>(v - grid[0]))];
    if (grid[u - 1] > v) --u;
    return {u, (grid[u] - v) / (grid[u] - grid[u - 1])};
}

inline DeviceColor Lookup(const uint8_t* baseTable, double L, double a, double b) {
    const GridCell cl = LocateInGrid(L, LabLightnessGrid, LightnessUpper);
    const GridCell ca = LocateInGrid(a, LabChromaGrid, ChromaUpper);
    const GridCell cb = LocateInGrid(b, LabChromaGrid, ChromaUpper);
    const double upperB = 1.0 - cb.Lower;
    const double wL[2] = {cl.Lower, 1.0 - cl.Lower};
    const double wa[2] = {ca.Lower, 1.0 - ca.Lower};
    const uint8_t* cell = baseTable + (((cl.Upper - 1) * 17 + (ca.Upper - 1)) * 17 + (cb.Upper - 1)) * 3;

    // Corners in the order (L, a, b) = 000, 001, 010, ... 111; the sums are
    // formed in that order.
    double red = 0.0, green = 0.0, blue = 0.0;
    for (int iL = 0; iL < 2; ++iL) {
        for (int ia = 0; ia < 2; ++ia) {
            const double w = wL[iL] * wa[ia];
            const double wLow = w - w * upperB;
            const double wHigh = w * upperB;
            const uint8_t* e = cell + (iL * 17 + ia) * 17 * 3;
            red += e[0] * wLow;
            green += e[1] * wLow;
            blue += e[2] * wLow;
            red += e[3] * wHigh;
            green += e[4] * wHigh;
            blue += e[5] * wHigh;
        }
    }
    return {red, green, blue};
}

int ClampInput(int v) {
    return v < 0 ? 0 : (v > 256 ? 256 : v);
}

uint8_t TruncateToByte(double v) {
    if (!(v > 0.0)) return 0;
    if (v >= 255.0) return 255;
    return static_cast<uint8_t>(static_cast<int>(v));
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
    return Lookup(baseTable, L, a, b);
}

DeviceColor LabToDevice(double L, double a, double b) {
    return LabToDeviceIn(g_parameters.BaseColorTable, L, a, b);
}

NodeTrace TraceNode(int r, int g, int b) {
    const AdjustmentParameters& p = g_parameters;
    NodeTrace t{};
    t.LinearRed = Linearise(ClampInput(r), p.GammaRed);
    t.LinearGreen = Linearise(ClampInput(g), p.GammaGreen);
    t.LinearBlue = Linearise(ClampInput(b), p.GammaBlue);
    const LabColor lab = LinearToAdjustedLab(p, t.LinearRed, t.LinearGreen, t.LinearBlue, &t);
    t.Device = LabToDeviceIn(p.BaseColorTable, lab.L, lab.a, lab.b);
    return t;
}

DeviceColor AdjustNode(int r, int g, int b) {
    const AdjustmentParameters& p = g_parameters;
    const LabColor lab = LinearToAdjustedLab(p, Linearise(ClampInput(r), p.GammaRed),
                                             Linearise(ClampInput(g), p.GammaGreen),
                                             Linearise(ClampInput(b), p.GammaBlue), nullptr);
    return LabToDeviceIn(p.BaseColorTable, lab.L, lab.a, lab.b);
}

void BuildRdt(const ColorAdjustment& color) {
    PrepareAdjustment(color);
    const AdjustmentParameters& p = g_parameters;

    // Each channel takes only the 17 lattice values, so its linearisation is
    // computed once per value instead of once per node.
    double linear[3][RdtGrid];
    for (int n = 0; n < RdtGrid; ++n) {
        linear[0][n] = Linearise(n * 16, p.GammaRed);
        linear[1][n] = Linearise(n * 16, p.GammaGreen);
        linear[2][n] = Linearise(n * 16, p.GammaBlue);
    }

    uint8_t* out = g_rdt;
    for (int ri = 0; ri < RdtGrid; ++ri) {
        for (int gi = 0; gi < RdtGrid; ++gi) {
            for (int bi = 0; bi < RdtGrid; ++bi) {
                const LabColor lab = LinearToAdjustedLab(p, linear[0][ri], linear[1][gi], linear[2][bi], nullptr);
                const DeviceColor d = Lookup(p.BaseColorTable, lab.L, lab.a, lab.b);
                out[0] = TruncateToByte(d.Red);
                out[1] = TruncateToByte(d.Green);
                out[2] = TruncateToByte(d.Blue);
                out += 3;
            }
        }
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
