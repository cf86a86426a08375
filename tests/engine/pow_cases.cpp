// The engine's power function on inputs of the kind the table build gives
// it, one "x y x^y" line each in hexadecimal, for tools/powgen/pow_check.py
// to judge against exact arithmetic: the linearisation of every lattice value
// with every balance gamma, the cube roots of XYZ over a spread of nodes and
// balance settings (through the one-third entry, which the build uses for
// them), and the brightened lightness with every exponent.
#include <cstdio>
#include <initializer_list>

#include "engine/color_engine.h"
#include "engine/engine_math.h"

namespace {

void Case(double x, double y) {
    std::printf("%a %a %a\n", x, y, EnginePow(x, y));
}

// The cube roots through the entry the table build uses for them.
void ThirdCase(double x) {
    const EngineArithmetic arithmetic;
    std::printf("%a %a %a\n", x, 0.3333333333333333, EnginePowOneThirdHeld(x));
}

}  // namespace

int main() {
    for (int v = -10; v <= 10; ++v) {
        PrepareAdjustment(ColorAdjustment{0, 1, 0, 0, 0, v, v, v});
        const AdjustmentParameters& p = CurrentAdjustment();
        for (int n = 1; n <= 16; ++n) {
            Case(n * 16 * 0.00392156862745098, 2.2 / p.GammaRed);
            Case(n * 16 * 0.00392156862745098, 2.2 / p.GammaGreen);
        }
    }
    const ColorAdjustment balances[] = {{0, 1, 0, 0, 0, 0, 0, 0}, {0, 1, 0, 0, 0, -10, 7, 10}};
    for (const ColorAdjustment& c : balances) {
        PrepareAdjustment(c);
        for (int node = 0; node < RdtGrid * RdtGrid * RdtGrid; node += 11) {
            const NodeTrace t = TraceNode(node / 289 * 16, node / 17 % 17 * 16, node % 17 * 16);
            for (double v : {t.X * 1.0370216737529814, t.Y, t.Z / 0.8251})
                if (v > 0.008856) ThirdCase(v);
        }
    }
    PrepareAdjustment(ColorAdjustment{0, 1, 0, 0, 0, 0, 0, 0});
    for (int node = 0; node < RdtGrid * RdtGrid * RdtGrid; node += 29) {
        const NodeTrace t = TraceNode(node / 289 * 16, node / 17 % 17 * 16, node % 17 * 16);
        if (t.Lab.L <= 0.0) continue;
        for (double e : LightnessExponentTable)
            if (e != 1.0) Case(t.Lab.L * 0.01, e);
    }
    return 0;
}
