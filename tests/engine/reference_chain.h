// A literal, node-by-node evaluation of the color adjustment chain, written
// step by step with nothing precomputed: the yardstick that the engine's table
// build must match byte for byte (tests) and beat (benchmarks). Its power
// function and rounding are the engine's by default, as on every build, so
// that it gives the same bytes everywhere; the benchmarks give it the C
// library's pow, as its yardstick.
#pragma once

#include <cmath>
#include <cstdint>

#include "engine/base_color_tables.h"
#include "engine/engine_math.h"
#include "ui/common/records.h"

namespace reference {

struct Parameters {
    const uint8_t* Table;
    double GammaRed, GammaGreen, GammaBlue;
    double Exponent, Blend, Factor;
};

inline Parameters Prepare(const ColorAdjustment& c) {
    const EngineArithmetic arithmetic;
    static const double exponents[21] = {2.0, 1.9, 1.8,  1.7, 1.6, 1.5,  1.4, 1.3, 1.2,  1.1, 1.0,
                                         0.95, 0.9, 0.85, 0.8, 0.75, 0.7, 0.65, 0.6, 0.55, 0.5};
    static const double blends[21] = {1.9, 1.8, 1.7, 1.6, 1.5, 1.4, 1.3, 1.2, 1.1, 1.0, 0.9,
                                      0.8, 0.7, 0.6, 0.5, 0.4, 0.3, 0.2, 0.1, 0.0, -0.1};
    static const double factors[21] = {0.1,  0.2,  0.3,  0.4,  0.5,  0.6,  0.7,  0.8,  0.9,  1.0, 1.1,
                                       1.17, 1.24, 1.31, 1.38, 1.45, 1.52, 1.59, 1.66, 1.73, 1.8};
    auto index = [](int32_t v) {
        long long i = static_cast<long long>(v) + 10;
        if (i < 0) i = 0;
        if (i > 20) i = 20;
        return static_cast<int>(i);
    };
    auto gamma = [](int32_t v, double offset, double lo, double hi) {
        double g = static_cast<double>(static_cast<long long>(v) + 10) * 0.05 + offset;
        if (g < lo) g = lo;
        if (g > hi) g = hi;
        return g;
    };
    Parameters p;
    p.Table = c.BaseColor == 3 ? PhotoBaseTable : (c.BaseColor == 2 || c.BaseColor == 4) ? DocumentBaseTable
                                                                                          : NormalBaseTable;
    p.GammaRed = gamma(c.CyanRed, 0.4, 0.4, 1.4);
    p.GammaGreen = gamma(c.MagentaGreen, 0.5, 0.5, 1.5);
    p.GammaBlue = gamma(c.YellowBlue, 0.5, 0.5, 1.5);
    p.Exponent = exponents[index(c.Bright)];
    p.Blend = blends[index(c.Contrast)];
    p.Factor = factors[index(c.Fullness)];
    return p;
}

using PowFunction = double (*)(double, double);

template <PowFunction Pow>
inline double Compand(double t) {
    if (t > 0.008856) return Pow(t, 0.3333333333333333);
    return 7.787 * t + 0.13793103448275862;
}

// Limits v to the grid and finds the upper index u by a linear search.
inline int Locate(double& v, const double* grid) {
    if (v <= grid[0]) v = grid[0];
    if (v >= grid[16]) v = grid[16];
    for (int u = 0; u < 16; ++u)
        if (grid[u] > v) return u;
    return 16;
}

inline void LabToDevice(const uint8_t* table, double L, double a, double b, double out[3]) {
    const EngineArithmetic arithmetic;
    static const double gridL[17] = {0, 10, 16, 22, 28, 34, 40, 46, 52, 58, 64, 70, 76, 82, 88, 94, 100};
    static const double gridAB[17] = {-120, -90, -60, -40, -30, -20, -10, -5, 0, 5, 10, 20, 30, 40, 60, 90, 120};
    const int uL = Locate(L, gridL), ua = Locate(a, gridAB), ub = Locate(b, gridAB);
    const double tL = (gridL[uL] - L) / (gridL[uL] - gridL[uL - 1]);
    const double ta = (gridAB[ua] - a) / (gridAB[ua] - gridAB[ua - 1]);
    const double tb = (gridAB[ub] - b) / (gridAB[ub] - gridAB[ub - 1]);
    out[0] = out[1] = out[2] = 0.0;
    for (int iL = 0; iL < 2; ++iL) {
        for (int ia = 0; ia < 2; ++ia) {
            for (int ib = 0; ib < 2; ++ib) {
                const double w = (iL ? 1.0 - tL : tL) * (ia ? 1.0 - ta : ta);
                const double weight = ib ? w * (1.0 - tb) : w - w * (1.0 - tb);
                const int at = (((uL - 1 + iL) * 17 + (ua - 1 + ia)) * 17 + (ub - 1 + ib)) * 3;
                for (int c = 0; c < 3; ++c) out[c] += table[at + c] * weight;
            }
        }
    }
}

template <PowFunction Pow = EnginePowHeld>
inline void Node(const Parameters& p, int r, int g, int b, double out[3]) {
    const EngineArithmetic arithmetic;
    const double R = Pow(r * 0.00392156862745098, 2.2 / p.GammaRed);
    const double G = Pow(g * 0.00392156862745098, 2.2 / p.GammaGreen);
    const double B = Pow(b * 0.00392156862745098, 2.2 / p.GammaBlue);
    const double X = 0.4361 * R + 0.3851 * G + 0.1431 * B;
    const double Y = 0.2225 * R + 0.7169 * G + 0.0606 * B;
    const double Z = 0.0139 * R + 0.0971 * G + 0.7141 * B;
    const double fx = Compand<Pow>(X * 1.0370216737529814);
    const double fy = Compand<Pow>(Y);
    const double fz = Compand<Pow>(Z / 0.8251);
    double L = 116.0 * fy - 16.0;
    double a = 500.0 * (fx - fy);
    double bb = 200.0 * (fy - fz);
    if (p.Exponent != 1.0) L = 100.0 * Pow(L * 0.01, p.Exponent);
    if (p.Blend != 1.0) {
        const double c = L * 0.01;
        L = L * (p.Blend + (3.0 * c - 2.0 * c * c) * (1.0 - p.Blend));
        if (L >= 100.0) L = 100.0;
        if (L < 0.0) L = 0.0;
    }
    a = a * p.Factor;
    bb = bb * p.Factor;
    if (a > 120.0) {
        bb = 120.0 * (bb / a);
        a = 120.0;
    } else if (a < -120.0) {
        bb = -120.0 * (bb / a);
        a = -120.0;
    }
    if (bb > 120.0) {
        a = 120.0 * (a / bb);
        bb = 120.0;
    } else if (bb < -120.0) {
        a = -120.0 * (a / bb);
        bb = -120.0;
    }
    LabToDevice(p.Table, L, a, bb, out);
}

template <PowFunction Pow = EnginePowHeld>
inline void BuildTable(const ColorAdjustment& c, uint8_t out[RdtBytes]) {
    const Parameters p = Prepare(c);
    size_t at = 0;
    for (int r = 0; r <= 256; r += 16) {
        for (int g = 0; g <= 256; g += 16) {
            for (int b = 0; b <= 256; b += 16) {
                double d[3];
                Node<Pow>(p, r, g, b, d);
                for (int k = 0; k < 3; ++k) out[at++] = static_cast<uint8_t>(static_cast<int>(d[k]));
            }
        }
    }
}

}  // namespace reference
