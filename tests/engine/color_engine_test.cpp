#include "engine/color_engine.h"

#include <gtest/gtest.h>

#include <cfenv>
#include <climits>
#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <vector>

#include "engine/base_color_tables.h"
#include "engine/engine_math.h"
#include "engine/make_rdt.h"
#include "tests/engine/reference_chain.h"

namespace {

ColorAdjustment Record(int32_t base = 0, int32_t bright = 0, int32_t fullness = 0, int32_t contrast = 0,
                       int32_t cyanRed = 0, int32_t magentaGreen = 0, int32_t yellowBlue = 0) {
    return ColorAdjustment{0, base, bright, fullness, contrast, cyanRed, magentaGreen, yellowBlue};
}

std::vector<uint8_t> TableOf(const ColorAdjustment& c) {
    std::vector<uint8_t> out(RdtBytes);
    EXPECT_NE(MakeRdt(&c, out.data()), 0);
    return out;
}

const uint8_t* Entry(const uint8_t* table, int i0, int i1, int i2) {
    return table + ((i0 * 17 + i1) * 17 + i2) * 3;
}

void ExpectLab(const LabColor& lab, double L, double a, double b) {
    EXPECT_NEAR(lab.L, L, 5e-5);
    EXPECT_NEAR(lab.a, a, 5e-5);
    EXPECT_NEAR(lab.b, b, 5e-5);
}

TEST(ColorEngine, NeutralRecordGivesDocumentedLabValues) {
    PrepareAdjustment(Record());
    // As handed to the lookup: after the S-curve (blend 0.9) and 10 % more chroma.
    ExpectLab(TraceNode(128, 128, 128).ChromaLimit, 53.3193, -4.0836, -1.4284);
    ExpectLab(TraceNode(256, 0, 0).ChromaLimit, 54.7397, 89.1764, 77.1593);

    const AdjustmentParameters& p = CurrentAdjustment();
    EXPECT_EQ(p.BaseColorTable, NormalBaseTable);
    EXPECT_EQ(p.GammaRed, 0.9);
    EXPECT_EQ(p.GammaGreen, 1.0);
    EXPECT_EQ(p.GammaBlue, 1.0);
    EXPECT_EQ(p.LightnessExponent, 1.0);
    EXPECT_EQ(p.ContrastBlend, 0.9);
    EXPECT_EQ(p.ChromaFactor, 1.1);
}

TEST(ColorEngine, WhiteIsLimitedTo100ByContrastOrByTheLookup) {
    PrepareAdjustment(Record());
    const NodeTrace white = TraceNode(256, 256, 256);
    EXPECT_GT(white.Lab.L, 100.0);
    EXPECT_EQ(white.Contrast.L, 100.0);

    PrepareAdjustment(Record(0, 0, 0, -1));  // blend 1.0: the contrast step is skipped
    const NodeTrace skipped = TraceNode(256, 256, 256);
    EXPECT_GT(skipped.Contrast.L, 100.0);
    const DeviceColor atLimit = LabToDevice(100.0, skipped.ChromaLimit.a, skipped.ChromaLimit.b);
    EXPECT_EQ(skipped.Device.Red, atLimit.Red);
    EXPECT_EQ(skipped.Device.Green, atLimit.Green);
    EXPECT_EQ(skipped.Device.Blue, atLimit.Blue);
}

TEST(ColorEngine, ChromaLimitKeepsHueForEveryVividSetting) {
    PrepareAdjustment(Record(1, 0, -1));  // factor 1.0
    const NodeTrace plain = TraceNode(0, 0, 256);
    ExpectLab(plain.Saturation, 28.8465, 68.5181, -112.3607);
    ExpectLab(plain.ChromaLimit, 28.8465, 68.5181, -112.3607);

    for (int fullness = 0; fullness <= 10; ++fullness) {
        SCOPED_TRACE(fullness);
        PrepareAdjustment(Record(1, 0, fullness));
        const NodeTrace t = TraceNode(0, 0, 256);
        EXPECT_LT(t.Saturation.b, -120.0);
        ExpectLab(t.ChromaLimit, 28.8465, 73.1765, -120.0);
    }
}

TEST(ColorEngine, ChromaLimitTakesTheRatioBeforeReplacing) {
    // Pure red at full saturation pushes a* past 120 first.
    PrepareAdjustment(Record(1, 0, 10));
    const NodeTrace t = TraceNode(256, 0, 0);
    ASSERT_GT(t.Saturation.a, 120.0);
    EXPECT_EQ(t.ChromaLimit.a, 120.0);
    EXPECT_DOUBLE_EQ(t.ChromaLimit.b / t.ChromaLimit.a, t.Saturation.b / t.Saturation.a);
}

TEST(ColorEngine, BlackNodeIsTheTableBlackForEverySetting) {
    const int32_t values[] = {INT_MIN, -10, -3, 0, 4, 10, INT_MAX};
    for (int32_t base : {0, 1, 2, 3, 4}) {
        for (int32_t v : values) {
            const int32_t n = v == INT_MIN ? INT_MAX : -v;
            const ColorAdjustment records[] = {Record(base, v, v, v, v, v, v), Record(base, v, n / 2, 0, n, v, 0),
                                               Record(base, 0, v, v, 0, n, v)};
            for (const ColorAdjustment& c : records) {
                const std::vector<uint8_t> table = TableOf(c);
                EXPECT_EQ(table[0], 1);
                EXPECT_EQ(table[1], 0);
                EXPECT_EQ(table[2], 0);
                const NodeTrace black = TraceNode(0, 0, 0);
                EXPECT_EQ(black.ChromaLimit.L, 0.0);
                EXPECT_EQ(black.ChromaLimit.a, 0.0);
                EXPECT_EQ(black.ChromaLimit.b, 0.0);
            }
        }
    }
}

// The engine's power function rounds correctly, also where C libraries
// differ (each x^y here lies within a thousandth of an ulp of a midpoint; the
// expected values were rounded from 300-bit results), and gives the plain
// answers outside positive finite x.
TEST(EnginePow, RoundsToNearestAndAnswersTheEdges) {
    const struct {
        double X, Y, Expected;
    } cases[] = {
        {0x1.f38d193c6a03dp-2, 0x1.d471060cfc3cp+1, 0x1.282e9433d47fep-4},
        {0x1.d1f018454d777p-3, 0x1.5555555555555p-2, 0x1.388fd5f29889bp-1},
        {0x1.ba17a6478bea1p-1, 0x1.852d1b3620d2p-1, 0x1.c9f066c098f16p-1},
        {0x1.55b9c5bfef981p-1, 0x1.5555555555555p-2, 0x1.bf71caeebaa54p-1},
        {0x1.f3357114d94e9p-2, 0x1.24b988db99776p+2, 0x1.326404b6d5555p-5},
        {0x1.f75567cb4363ep-1, 0x1.b5b0c4ecfbb2cp+1, 0x1.e2f7b647d229dp-1},
        {0x1.014cdd1fee46dp+0, 0x1.f3495f6a12e3dp+12, 0x1.4f35c29dcc8bbp+58},  // x near 1, large y
        {0.25, 0.5, 0.5},
        {2.0, 10.0, 1024.0},
        {0x1p-1074, 0.5, 0x1p-537},
        {1.0, 1e300, 1.0},
        {0.0, 2.2, 0.0},
        {0.0, -1.0, std::numeric_limits<double>::infinity()},
        {0.5, 0.0, 1.0},
        {-0.0, 0.0, 1.0},
        {1e300, 1e10, std::numeric_limits<double>::infinity()},
        {0.5, 1e10, 0.0},
    };
    for (const auto& c : cases) EXPECT_EQ(EnginePow(c.X, c.Y), c.Expected) << c.X << " ^ " << c.Y;
    EXPECT_TRUE(std::isnan(EnginePow(-0.5, 0.5)));
    EXPECT_TRUE(std::isnan(EnginePow(std::nan(""), 0.5)));
}

// The one-third entry gives the general power's bits: densely over the Lab
// range, at the binade and seed-interval edges where its scaling and seeds
// change, and on the two near-midpoint cube roots above, which it must pass
// on to the general path.
TEST(EnginePow, OneThirdEntryGivesTheGeneralPowersBits) {
    const EngineArithmetic arithmetic;
    constexpr double Third = 0.3333333333333333;
    std::vector<double> xs = {0x1.d1f018454d777p-3, 0x1.55b9c5bfef981p-1, 0.125, 1.0, 0.008856, 1.1, 0.0, 2.0, 3.0};
    for (int e = -8; e <= 0; ++e) {
        for (int i = 0; i <= 32; ++i) {
            const double edge = std::ldexp(1.0 + i / 32.0, e);
            xs.insert(xs.end(), {edge, std::nextafter(edge, 0.0), std::nextafter(edge, 4.0)});
        }
    }
    std::mt19937_64 rng(3);
    std::uniform_real_distribution<double> lab(0.008856, 1.1);
    for (int i = 0; i < 200000; ++i) xs.push_back(lab(rng));
    for (double x : xs) ASSERT_EQ(EnginePowOneThirdHeld(x), EnginePowHeld(x, Third)) << std::hexfloat << x;
#if defined(__x86_64__)
    // The four-lane form: the same bits in every lane it does, and nearly all.
    if (!__builtin_cpu_supports("avx2")) return;
    size_t done = 0;
    for (size_t i = 0; i + 4 <= xs.size(); i += 4) {
        double out[4];
        const int left = EnginePowOneThirdFourAvx2(&xs[i], out);
        for (int l = 0; l < 4; ++l) {
            if (left >> l & 1) continue;
            ++done;
            ASSERT_EQ(out[l], EnginePowHeld(xs[i + l], Third)) << std::hexfloat << xs[i + l];
        }
    }
    EXPECT_GT(done, xs.size() * 99 / 100);
#endif
}

// The batches give the scalar functions' bits, in place too: on the lattice
// arguments of a few balance settings (the cube roots of X, Y and Z and the
// lightness for every brightness exponent), a random spread, the binade
// edges of the extended entries' ranges, and the values they leave to the
// scalar path (outside the ranges, 0, negative, NaN). The x87 control word
// is the caller's afterwards.
TEST(EnginePow, BatchesGiveTheScalarBits) {
    const EngineArithmetic arithmetic;
    std::vector<double> roots = {0.0, -0.5, std::nan(""), 2.0, 3.0, 0x1p-31, 0x1.d1f018454d777p-3};
    std::vector<double> lightness = {1.0, 0x1p-20, 0x1p-21, 0x1p20, 1e-300, 0.0, -1.0};
    for (int e = -31; e <= 1; ++e) {
        for (double v : {std::ldexp(1.0, e), std::ldexp(1.0, e) * (1.0 - 0x1p-53), std::ldexp(1.0 + 0x1p-52, e)}) {
            roots.push_back(v);
            lightness.push_back(v);
        }
    }
    for (const ColorAdjustment& c : {Record(), Record(0, 0, 0, 0, -10, 7, 10), Record(0, 0, 0, 0, 10, -10, -3)}) {
        PrepareAdjustment(c);
        for (int node = 0; node < RdtGrid * RdtGrid * RdtGrid; node += 3) {
            const NodeTrace t = TraceNode(node / 289 * 16, node / 17 % 17 * 16, node % 17 * 16);
            roots.insert(roots.end(), {t.X * 1.0370216737529814, t.Y, t.Z / 0.8251});
            lightness.push_back(t.Lab.L * 0.01);
        }
    }
    std::mt19937_64 rng(25);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    for (int i = 0; i < 20000; ++i) {
        roots.push_back(std::ldexp(1.0 + unit(rng), -static_cast<int>(rng() % 31)));
        lightness.push_back(unit(rng));
    }
    unsigned short before = 0, after = 0;
#if defined(__i386__) || defined(__x86_64__)
    __asm__ __volatile__("fnstcw %0" : "=m"(before));
#endif
    auto same = [](double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; };
    std::vector<double> out(roots.size());
    EnginePowOneThirdManyHeld(roots.data(), out.data(), static_cast<int>(roots.size()));
    for (size_t i = 0; i < roots.size(); ++i)
        ASSERT_TRUE(same(out[i], EnginePowOneThirdHeld(roots[i]))) << std::hexfloat << roots[i];
    for (double y : {2.0, 1.9, 1.3, 1.0, 0.95, 0.75, 0.55, 0.5, -1.5, 5.0}) {
        std::vector<double> powers = lightness;
        EnginePowManyHeld(powers.data(), y, powers.data(), static_cast<int>(powers.size()));
        for (size_t i = 0; i < powers.size(); ++i)
            ASSERT_TRUE(same(powers[i], EnginePowHeld(lightness[i], y))) << std::hexfloat << lightness[i] << " ^ " << y;
    }
    // The divisors of the build: the white point's Z and the grids' cell widths.
    for (double divisor : {0.8251, 5.0, 6.0, 10.0, 20.0, 30.0}) {
        std::vector<double> quotients(roots.size());
        for (double& v : roots) v = std::fabs(v) * divisor * 0.3;  // numerators on both sides of the divisor
        EngineDivideManyHeld(roots.data(), divisor, quotients.data(), static_cast<int>(roots.size()));
        for (size_t i = 0; i < roots.size(); ++i)
            ASSERT_TRUE(same(quotients[i], roots[i] / divisor)) << std::hexfloat << roots[i] << " / " << divisor;
    }
#if defined(__i386__) || defined(__x86_64__)
    __asm__ __volatile__("fnstcw %0" : "=m"(after));
#endif
    EXPECT_EQ(after, before);
}

// A caller running another rounding mode gets the same table, and its mode
// back.
TEST(ColorEngine, CallersRoundingModeChangesNothing) {
    const ColorAdjustment c = Record(1, 10, 0, -10);
    const std::vector<uint8_t> nearest = TableOf(c);
    for (int mode : {FE_TOWARDZERO, FE_UPWARD, FE_DOWNWARD}) {
        ASSERT_EQ(std::fesetround(mode), 0);
        const std::vector<uint8_t> other = TableOf(c);
        const NodeTrace black = TraceNode(0, 0, 0);
        EXPECT_EQ(std::fegetround(), mode);
        std::fesetround(FE_TONEAREST);
        EXPECT_EQ(other, nearest) << mode;
        EXPECT_EQ(black.Brightness.L, 0.0) << mode;
    }
}

TEST(ColorEngine, OutOfRangeFieldsAreLimited) {
    PrepareAdjustment(Record(1, 25, -99, 0, 15, -15, 0));
    EXPECT_EQ(CurrentAdjustment().LightnessExponent, 0.5);
    EXPECT_EQ(CurrentAdjustment().ChromaFactor, 0.1);
    EXPECT_EQ(CurrentAdjustment().GammaRed, 1.4);
    EXPECT_EQ(CurrentAdjustment().GammaGreen, 0.5);

    EXPECT_EQ(TableOf(Record(1, 25, -99, 0, 15, -15, 0)), TableOf(Record(1, 10, -10, 0, 10, -10, 0)));
    // Extremes of every field, where value + 10 would overflow a 32-bit int.
    EXPECT_EQ(TableOf(Record(INT_MAX, INT_MAX, INT_MAX, INT_MAX, INT_MAX, INT_MAX, INT_MAX)),
              TableOf(Record(1, 10, 10, 10, 10, 10, 10)));
    EXPECT_EQ(TableOf(Record(INT_MIN, INT_MIN, INT_MIN, INT_MIN, INT_MIN, INT_MIN, INT_MIN)),
              TableOf(Record(1, -10, -10, -10, -10, -10, -10)));
    EXPECT_EQ(TableOf(Record(3, INT_MAX - 9, INT_MIN + 9, 11, -11, INT_MAX - 10, INT_MIN)),
              TableOf(Record(3, 10, -10, 10, -10, 10, -10)));
}

TEST(ColorEngine, BaseColorSelection) {
    EXPECT_EQ(SelectBaseColorTable(1), NormalBaseTable);
    EXPECT_EQ(SelectBaseColorTable(2), DocumentBaseTable);
    EXPECT_EQ(SelectBaseColorTable(3), PhotoBaseTable);
    EXPECT_EQ(SelectBaseColorTable(4), DocumentBaseTable);
    for (int32_t other : {0, 5, -1, 100, INT_MIN, INT_MAX}) EXPECT_EQ(SelectBaseColorTable(other), NormalBaseTable);

    const ColorAdjustment adjusted[] = {Record(0, 3, -2, 5, 1, -4, 7), Record(0)};
    for (ColorAdjustment c : adjusted) {
        c.BaseColor = 2;
        const std::vector<uint8_t> document = TableOf(c);
        c.BaseColor = 4;
        EXPECT_EQ(TableOf(c), document);
        c.BaseColor = 1;
        const std::vector<uint8_t> normal = TableOf(c);
        c.BaseColor = 0;
        EXPECT_EQ(TableOf(c), normal);
        c.BaseColor = 5;
        EXPECT_EQ(TableOf(c), normal);
        c.BaseColor = 3;
        EXPECT_NE(TableOf(c), normal);
        EXPECT_NE(document, normal);
    }
}

TEST(ColorEngine, TellingEntriesComeBackFromTheLookup) {
    struct Telling {
        int32_t Base;
        double L, a, b;
        uint8_t R, G, B;
    };
    const Telling cases[] = {
        {1, 58, -120, 0, 15, 255, 104}, {3, 58, -120, 0, 55, 239, 127}, {2, 58, -120, 0, 0, 255, 153},
        {1, 58, 0, -120, 89, 149, 255}, {3, 58, 0, -120, 100, 192, 255}, {4, 58, 0, -120, 27, 113, 255},
        {1, 58, 0, 120, 174, 130, 0},   {3, 58, 0, 120, 180, 126, 0},    {2, 58, 0, 120, 214, 163, 0},
        {1, 40, 60, 60, 211, 6, 0},     {3, 40, 60, 60, 230, 0, 0},      {4, 40, 60, 60, 211, 2, 0},
    };
    for (const Telling& t : cases) {
        SCOPED_TRACE(testing::Message() << "base " << t.Base << " Lab " << t.L << " " << t.a << " " << t.b);
        const DeviceColor d = LabToDeviceIn(SelectBaseColorTable(t.Base), t.L, t.a, t.b);
        EXPECT_EQ(d.Red, t.R);
        EXPECT_EQ(d.Green, t.G);
        EXPECT_EQ(d.Blue, t.B);
    }

    const uint8_t neutral[17][3] = {{1, 0, 0},       {25, 8, 22},     {36, 21, 38},    {46, 28, 52},
                                    {58, 42, 64},    {83, 67, 90},    {99, 88, 109},   {115, 104, 121},
                                    {132, 122, 134}, {160, 146, 160}, {175, 168, 175}, {186, 181, 185},
                                    {198, 194, 196}, {215, 212, 213}, {229, 228, 228}, {241, 242, 242},
                                    {255, 255, 255}};
    for (int32_t base : {1, 2, 3, 4}) {
        for (int i = 0; i < 17; ++i) {
            const DeviceColor d = LabToDeviceIn(SelectBaseColorTable(base), LabLightnessGrid[i], 0.0, 0.0);
            EXPECT_EQ(d.Red, neutral[i][0]);
            EXPECT_EQ(d.Green, neutral[i][1]);
            EXPECT_EQ(d.Blue, neutral[i][2]);
        }
    }
}

TEST(ColorEngine, LookupInterpolatesAlongEachAxisAndLimitsToTheGrid) {
    const uint8_t* table = NormalBaseTable;
    auto expectMean = [&](const DeviceColor& d, const uint8_t* e0, const uint8_t* e1) {
        EXPECT_DOUBLE_EQ(d.Red, (e0[0] + e1[0]) / 2.0);
        EXPECT_DOUBLE_EQ(d.Green, (e0[1] + e1[1]) / 2.0);
        EXPECT_DOUBLE_EQ(d.Blue, (e0[2] + e1[2]) / 2.0);
    };
    // Half way between grid nodes on one axis at a time (grid a*/b* index 8 is 0).
    expectMean(LabToDeviceIn(table, 5.0, 0.0, 0.0), Entry(table, 0, 8, 8), Entry(table, 1, 8, 8));
    expectMean(LabToDeviceIn(table, 58.0, -105.0, 0.0), Entry(table, 9, 0, 8), Entry(table, 9, 1, 8));
    expectMean(LabToDeviceIn(table, 58.0, 0.0, 105.0), Entry(table, 9, 8, 15), Entry(table, 9, 8, 16));
    expectMean(LabToDeviceIn(table, 43.0, 20.0, 40.0), Entry(table, 6, 11, 13), Entry(table, 7, 11, 13));

    auto same = [](const DeviceColor& x, const DeviceColor& y) {
        return x.Red == y.Red && x.Green == y.Green && x.Blue == y.Blue;
    };
    EXPECT_TRUE(same(LabToDeviceIn(table, 150.0, -500.0, 130.0), LabToDeviceIn(table, 100.0, -120.0, 120.0)));
    EXPECT_TRUE(same(LabToDeviceIn(table, -3.0, 121.0, -1e300), LabToDeviceIn(table, 0.0, 120.0, -120.0)));
    EXPECT_TRUE(same(LabToDeviceIn(table, std::nan(""), 0.0, 0.0), LabToDeviceIn(table, 0.0, 0.0, 0.0)));
}

// Values on, just below and just above every grid value, where finding the
// cell by the integer part has to correct the rounding of v - grid[0].
TEST(ColorEngine, LookupCellsAtGridBoundariesMatchALinearSearch) {
    std::vector<double> lightness, chroma;
    for (int i = 0; i < LabGridPoints; ++i) {
        for (double v : {LabLightnessGrid[i], std::nextafter(LabLightnessGrid[i], -1e9),
                         std::nextafter(LabLightnessGrid[i], 1e9), LabLightnessGrid[i] - 1e-13})
            lightness.push_back(v);
        for (double v : {LabChromaGrid[i], std::nextafter(LabChromaGrid[i], -1e9),
                         std::nextafter(LabChromaGrid[i], 1e9), LabChromaGrid[i] - 1e-13})
            chroma.push_back(v);
    }
    for (double L : {0.0, 33.3, 58.0, std::nextafter(64.0, 0.0)}) {
        for (double a : chroma) {
            for (double b : {-0.0, std::nextafter(-5.0, -6.0), 44.4}) {
                const DeviceColor d = LabToDeviceIn(PhotoBaseTable, L, a, b);
                const DeviceColor e = LabToDeviceIn(PhotoBaseTable, L, b, a);
                double expected[3], swapped[3];
                reference::LabToDevice(PhotoBaseTable, L, a, b, expected);
                reference::LabToDevice(PhotoBaseTable, L, b, a, swapped);
                ASSERT_EQ(d.Red, expected[0]) << L << " " << a << " " << b;
                ASSERT_EQ(d.Green, expected[1]) << L << " " << a << " " << b;
                ASSERT_EQ(d.Blue, expected[2]) << L << " " << a << " " << b;
                ASSERT_EQ(e.Red, swapped[0]) << L << " " << b << " " << a;
                ASSERT_EQ(e.Blue, swapped[2]) << L << " " << b << " " << a;
            }
        }
    }
    for (double L : lightness) {
        const DeviceColor d = LabToDeviceIn(NormalBaseTable, L, 7.0, -3.0);
        double expected[3];
        reference::LabToDevice(NormalBaseTable, L, 7.0, -3.0, expected);
        ASSERT_EQ(d.Green, expected[1]) << L;
    }

    // The table build's own lookup, with and without vectors, to the byte.
    std::vector<LabColor> colors;
    for (size_t i = 0; i < chroma.size(); ++i) {
        colors.push_back({lightness[i % lightness.size()], chroma[i], 3.0});
        colors.push_back({58.0, -7.5, chroma[i]});
        colors.push_back({lightness[(i * 7) % lightness.size()], chroma[chroma.size() - 1 - i], chroma[i]});
    }
    std::vector<uint8_t> expected;
    for (const LabColor& c : colors) {
        double d[3];
        reference::LabToDevice(DocumentBaseTable, c.L, c.a, c.b, d);
        for (double v : d) expected.push_back(static_cast<uint8_t>(static_cast<int>(v)));
    }
    for (bool vector : {true, false}) {
        SetVectorBuild(vector);
        std::vector<uint8_t> bytes(colors.size() * 3);
        LookupToBytes(DocumentBaseTable, colors.data(), bytes.data(), colors.size());
        EXPECT_EQ(bytes, expected) << (vector ? "vector" : "plain");
    }
    SetVectorBuild(true);
}

TEST(ColorEngine, AdjustNodeIsTheTracedChain) {
    PrepareAdjustment(Record(3, -4, 6, 2, -7, 3, 9));
    const reference::Parameters p = reference::Prepare(Record(3, -4, 6, 2, -7, 3, 9));
    for (int r : {0, 16, 100, 255, 256}) {
        for (int g : {0, 48, 256}) {
            for (int b : {0, 7, 200, 256}) {
                const DeviceColor d = AdjustNode(r, g, b);
                const NodeTrace t = TraceNode(r, g, b);
                double expected[3];
                reference::Node(p, r, g, b, expected);
                EXPECT_EQ(d.Red, expected[0]);
                EXPECT_EQ(d.Green, expected[1]);
                EXPECT_EQ(d.Blue, expected[2]);
                EXPECT_EQ(t.Device.Red, expected[0]);
                EXPECT_EQ(t.Device.Green, expected[1]);
                EXPECT_EQ(t.Device.Blue, expected[2]);
            }
        }
    }
}

// The table build precomputes what nodes share, keeps what a rebuild can
// reuse and runs in vector lanes where it can; with and without vectors it
// must give the bytes of a plain node-by-node evaluation for every base color
// and any adjustment.
class TableBuild : public testing::TestWithParam<bool> {
protected:
    void SetUp() override { SetVectorBuild(GetParam()); }
    void TearDown() override { SetVectorBuild(true); }
};

TEST_P(TableBuild, MatchesNodeByNodeChainByteForByte) {
    std::vector<ColorAdjustment> records;
    for (int32_t base = 0; base <= 5; ++base) {
        records.push_back(Record(base));
        records.push_back(Record(base, 0, -1, -1, 10, 0, 0));
        records.push_back(Record(base, -10, 10, 10, -10, 10, -10));
        records.push_back(Record(base, 10, -10, -10, 10, -10, 10));
    }
    // Slider moves that keep the balance, then the balance moved and back.
    for (int32_t v = -10; v <= 10; v += 4) records.push_back(Record(3, v, -v, v / 2, 4, -2, 6));
    records.push_back(Record(3, 0, 0, 0, 5, -2, 6));
    // Contrast alone, then brightness alone: the chroma cells are kept.
    records.push_back(Record(3, 0, 0, 7, 5, -2, 6));
    records.push_back(Record(3, 0, 0, -12, 5, -2, 6));
    records.push_back(Record(3, 6, 0, -12, 5, -2, 6));
    records.push_back(Record(3, 6, 5, -12, 5, -2, 6));
    records.push_back(Record(1, 2, 0, 0, 4, -2, 6));
    // One gamma at a time, alone and beside each other value: the nodes at 0
    // on its axis keep the last bytes only when nothing else moved.
    for (const ColorAdjustment& c : {Record(3, 2, 1, 3, 6, -2, 6), Record(3, 2, 1, 3, 6, -1, 6),
                                     Record(3, 2, 1, 3, 6, -1, 9), Record(3, 4, 1, 3, 6, -1, 8),
                                     Record(3, 4, 2, 3, 7, -1, 8), Record(3, 4, 2, 5, 7, 0, 8), Record(2, 4, 2, 5, 3, 0, 8)})
        records.push_back(c);
    std::mt19937 rng(4913);
    std::uniform_int_distribution<int32_t> value(-12, 12), base(0, 5);
    for (int i = 0; i < 24; ++i)
        records.push_back(Record(base(rng), value(rng), value(rng), value(rng), value(rng), value(rng), value(rng)));

    uint8_t expected[RdtBytes];
    for (const ColorAdjustment& c : records) {
        SCOPED_TRACE(testing::Message() << "base " << c.BaseColor << " bright " << c.Bright << " fullness "
                                        << c.Fullness << " contrast " << c.Contrast << " balance " << c.CyanRed
                                        << "/" << c.MagentaGreen << "/" << c.YellowBlue);
        reference::BuildTable(c, expected);
        BuildRdt(c);
        ASSERT_EQ(std::memcmp(CurrentRdt(), expected, RdtBytes), 0);
    }
}

INSTANTIATE_TEST_SUITE_P(Vector, TableBuild, testing::Values(true, false),
                         [](const testing::TestParamInfo<bool>& info) { return info.param ? "On" : "Off"; });

TEST(MakeRdt, CopiesExactlyTheTableAndIgnoresSampleImage) {
    std::vector<uint8_t> buffer(RdtBytes + 1, 0xA5);
    ColorAdjustment c = Record(3, 2, -3, 4, -5, 6, -7);
    c.SampleImage = 2;
    EXPECT_NE(MakeRdt(&c, buffer.data()), 0);
    EXPECT_EQ(buffer[RdtBytes], 0xA5);
    EXPECT_EQ(std::memcmp(buffer.data(), CurrentRdt(), RdtBytes), 0);

    for (int32_t sample : {0, 3, -1, INT_MAX}) {
        c.SampleImage = sample;
        std::vector<uint8_t> other(RdtBytes + 1, 0x5A);
        MakeRdt(&c, other.data());
        EXPECT_EQ(other[RdtBytes], 0x5A);
        EXPECT_EQ(std::memcmp(other.data(), buffer.data(), RdtBytes), 0);
    }
}

TEST(MakeRdt, EachBuildReflectsOnlyTheLastRecord) {
    const std::vector<uint8_t> first = TableOf(Record(1, 5, 5, 5, 5, 5, 5));
    const std::vector<uint8_t> second = TableOf(Record(3, -5, 0, 2, 0, 0, 1));
    EXPECT_NE(first, second);
    EXPECT_EQ(TableOf(Record(1, 5, 5, 5, 5, 5, 5)), first);
    EXPECT_EQ(std::memcmp(CurrentRdt(), first.data(), RdtBytes), 0);
}

}  // namespace
