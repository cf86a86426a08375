// The power and quotient batches against the scalar functions and the
// division, bit for bit, over every argument the table build can give them
// and a random spread beyond:
//
//   pow_batch_identity [RANDOM]
//
// The cube roots of X, Y and Z at every lattice node for every balance
// setting (21^3), the powers of every such lattice's lightness for every
// brightness exponent, every lattice's Z over the white point's, and RANDOM
// (default 16M) cube roots over [2^-30, 2), powers of [2^-20, 2^20) for each
// exponent and quotients of [0, 256) by each divisor. Prints the counts; exits 1
// on any difference. Too long for a test (minutes), run once per change of
// engine_math.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <vector>

#include "engine/color_engine.h"
#include "engine/engine_math.h"

namespace {

constexpr int Nodes = RdtGrid * RdtGrid * RdtGrid;
const double Exponents[] = {1.9, 1.8, 1.7, 1.6, 1.5, 1.4, 1.3, 1.2, 1.1, 0.95,
                            0.9, 0.85, 0.8, 0.75, 0.7, 0.65, 0.6, 0.55, 0.5};

long g_compared = 0, g_differ = 0;

constexpr double Divisors[] = {0.8251, 5.0, 6.0, 10.0, 20.0, 30.0};

void CompareQuotients(const double* x, double divisor, int count) {
    static std::vector<double> batch(Nodes);
    EngineDivideManyHeld(x, divisor, batch.data(), count);
    for (int i = 0; i < count; ++i) {
        const double quotient = x[i] / divisor;
        ++g_compared;
        if (std::memcmp(&quotient, &batch[i], sizeof quotient) != 0 && g_differ++ < 10)
            std::printf("%a / %a: %a, not %a\n", x[i], divisor, batch[i], quotient);
    }
}

void Compare(const double* x, const double* batch, int count, double y) {
    for (int i = 0; i < count; ++i) {
        const double scalar = y == 0.0 ? EnginePowOneThirdHeld(x[i]) : EnginePowHeld(x[i], y);
        ++g_compared;
        if (std::memcmp(&scalar, &batch[i], sizeof scalar) != 0 && g_differ++ < 10)
            std::printf("%a ^ %a: %a, not %a\n", x[i], y == 0.0 ? 0.3333333333333333 : y, batch[i], scalar);
    }
}

}  // namespace

int main(int argc, char** argv) {
    const long random = argc > 1 ? std::atol(argv[1]) : 16L << 20;
    const EngineArithmetic arithmetic;
    std::vector<double> t(3 * Nodes), roots(3 * Nodes), x(Nodes), powers(Nodes);
    for (int cr = -10; cr <= 10; ++cr) {
        for (int mg = -10; mg <= 10; ++mg) {
            for (int yb = -10; yb <= 10; ++yb) {
                PrepareAdjustment(ColorAdjustment{0, 1, 0, 0, 0, cr, mg, yb});
                const AdjustmentParameters& p = CurrentAdjustment();
                double linear[3][RdtGrid];
                for (int n = 0; n < RdtGrid; ++n) {
                    linear[0][n] = EnginePowHeld(n * 16 * 0.00392156862745098, 2.2 / p.GammaRed);
                    linear[1][n] = EnginePowHeld(n * 16 * 0.00392156862745098, 2.2 / p.GammaGreen);
                    linear[2][n] = EnginePowHeld(n * 16 * 0.00392156862745098, 2.2 / p.GammaBlue);
                }
                for (int i = 0; i < Nodes; ++i) {
                    const double R = linear[0][i / 289], G = linear[1][i / 17 % 17], B = linear[2][i % 17];
                    t[i] = (0.4361 * R + 0.3851 * G + 0.1431 * B) * 1.0370216737529814;
                    t[Nodes + i] = 0.2225 * R + 0.7169 * G + 0.0606 * B;
                    x[i] = 0.0139 * R + 0.0971 * G + 0.7141 * B;
                    t[2 * Nodes + i] = x[i] / 0.8251;
                }
                CompareQuotients(x.data(), 0.8251, Nodes);
                EnginePowOneThirdManyHeld(t.data(), roots.data(), 3 * Nodes);
                Compare(t.data(), roots.data(), 3 * Nodes, 0.0);
                int n = 0;
                for (int i = 0; i < Nodes; ++i) {
                    const double fy = t[Nodes + i] > 0.008856 ? roots[Nodes + i]
                                                              : 7.787 * t[Nodes + i] + 0.13793103448275862;
                    const double L = 116.0 * fy - 16.0;
                    if (L > 0.0) x[n++] = L * 0.01;
                }
                for (double y : Exponents) {
                    EnginePowManyHeld(x.data(), y, powers.data(), n);
                    Compare(x.data(), powers.data(), n, y);
                }
            }
        }
    }
    std::printf("lattice: %ld compared\n", g_compared);

    std::mt19937_64 rng(25);
    std::vector<double> spread(Nodes), out(Nodes);
    for (double y : {0.0, 1.9, 1.5, 1.1, 0.95, 0.75, 0.5, 3.7, -1.3}) {
        for (long done = 0; done < random; done += Nodes) {
            for (double& v : spread) {
                const double mantissa = 1.0 + static_cast<double>(rng() >> 12) * 0x1p-52;
                v = y == 0.0 ? std::ldexp(mantissa, -static_cast<int>(rng() % 31))
                             : std::ldexp(mantissa, static_cast<int>(rng() % 40) - 20);
            }
            if (y == 0.0)
                EnginePowOneThirdManyHeld(spread.data(), out.data(), Nodes);
            else
                EnginePowManyHeld(spread.data(), y, out.data(), Nodes);
            Compare(spread.data(), out.data(), Nodes, y);
        }
    }
    for (double divisor : Divisors) {
        for (long done = 0; done < random; done += Nodes) {
            for (double& v : spread)
                v = std::ldexp(1.0 + static_cast<double>(rng() >> 12) * 0x1p-52, static_cast<int>(rng() % 60) - 52);
            CompareQuotients(spread.data(), divisor, Nodes);
        }
    }
    std::printf("in all: %ld compared, %ld differ\n", g_compared, g_differ);
    return g_differ != 0;
}
