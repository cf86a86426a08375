// Generates the base-color tables (CIELAB D50 on the engine's Lab grids to
// device RGB) and PNG slices of them.
//
//   basegen --source engine/base_color_tables.cpp [--images docs]
//
// Each table starts from colorimetry: a device model built with lcms2 whose
// tone curves reproduce the printer's measured neutral axis, black-point
// compensation onto the device black, and a gamut mapping that gives the table
// its character. The measured anchor colors are then met exactly by a smooth
// correction field that fades with distance in Lab.
#include <lcms2.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "tools/basegen/device_model.h"
#include "fileio/image_io.h"

namespace {

constexpr int N = 17;
constexpr double GridL[N] = {0, 10, 16, 22, 28, 34, 40, 46, 52, 58, 64, 70, 76, 82, 88, 94, 100};
constexpr double GridAB[N] = {-120, -90, -60, -40, -30, -20, -10, -5, 0, 5, 10, 20, 30, 40, 60, 90, 120};
constexpr int NeutralIndex = 8;  // a* = b* = 0

using Vec3 = std::array<double, 3>;
using Rgb = std::array<int, 3>;

enum class Character { Colorimetric, Photographic, Saturated };

struct Anchor {
    double L, a, b;
    Rgb rgb;
};

struct TableRecipe {
    const char* name;        // file and array stem
    const char* arrayName;
    Character character;
    std::array<Anchor, 4> anchors;
};

const TableRecipe Tables[] = {
    {"normal", "NormalBaseTable", Character::Colorimetric,
     {{{58, -120, 0, {15, 255, 104}}, {58, 0, -120, {89, 149, 255}}, {58, 0, 120, {174, 130, 0}}, {40, 60, 60, {211, 6, 0}}}}},
    {"photo", "PhotoBaseTable", Character::Photographic,
     {{{58, -120, 0, {55, 239, 127}}, {58, 0, -120, {100, 192, 255}}, {58, 0, 120, {180, 126, 0}}, {40, 60, 60, {230, 0, 0}}}}},
    {"document", "DocumentBaseTable", Character::Saturated,
     {{{58, -120, 0, {0, 255, 153}}, {58, 0, -120, {27, 113, 255}}, {58, 0, 120, {214, 163, 0}}, {40, 60, 60, {211, 2, 0}}}}},
};

// Photographic compression leaves chroma below this share of the reachable
// chroma untouched and rolls the rest off smoothly, so that colors beyond the
// gamut keep their gradation instead of piling up on the boundary: the whole
// source range up to PhotoReach is spread over the remaining room.
constexpr double PhotoKnee = 0.6;
constexpr double PhotoReach = 128;
// Saturation-oriented tables lift chroma, give up lightness for chroma
// (out-of-gamut colors move towards the lightness of the most chromatic color
// of their hue) and drive vivid colors to pure device primaries and secondaries.
constexpr double SaturatedBoost = 1.2;
constexpr double PurityFrom = 0.6, PurityTo = 0.95;
// Reach of the correction fields in Lab units.
constexpr double NeutralReach = 12;   // neutral-axis correction fades with chroma
constexpr double AnchorReach = 28;    // chromatic anchor corrections fade with distance
constexpr double AxisGuard = 10;      // chromatic corrections vanish on the neutral axis

size_t NodeOffset(int iL, int ia, int ib) { return ((static_cast<size_t>(iL) * N + ia) * N + ib) * 3; }

double Smoothstep(double e0, double e1, double x) {
    const double t = std::clamp((x - e0) / (e1 - e0), 0.0, 1.0);
    return t * t * (3 - 2 * t);
}

cmsCIELCh MapIntoGamut(const DeviceModel& dev, Character ch, cmsCIELCh lch) {
    const double cmax = dev.MaxChroma(lch.L, lch.h);
    switch (ch) {
    case Character::Colorimetric:
        lch.C = std::min(lch.C, cmax);
        break;
    case Character::Photographic: {
        const double knee = PhotoKnee * cmax, room = cmax - knee;
        if (lch.C > knee) lch.C = knee + room * std::tanh(2 * (lch.C - knee) / (PhotoReach - knee));
        break;
    }
    case Character::Saturated: {
        lch.C *= SaturatedBoost;
        if (lch.C <= cmax) break;
        // Along the line towards a gray between the color's own lightness and
        // the cusp's, to the boundary. Near black and white the line stays
        // level: a dark color must not turn into a light vivid one.
        const double reach = Smoothstep(DeviceModel::BlackL, 40, lch.L) * (1 - Smoothstep(85, 100, lch.L));
        const double Lc = lch.L + reach * (dev.CuspLightness(lch.h) - lch.L);
        double lo = 0, hi = 1;
        for (int i = 0; i < 26; ++i) {
            const double t = (lo + hi) / 2;
            cmsCIELab lab;
            const cmsCIELCh p{Lc + t * (lch.L - Lc), t * lch.C, lch.h};
            cmsLCh2Lab(&lab, &p);
            (dev.InGamut(lab) ? lo : hi) = t;
        }
        lch.L = Lc + lo * (lch.L - Lc);
        lch.C = lo * lch.C;
        break;
    }
    }
    return lch;
}

// Pulls the weakest channel of a vivid device color to zero, keeping the
// order and the relative spacing of the channels.
Vec3 Purify(Vec3 v) {
    const double mx = std::max({v[0], v[1], v[2]});
    const double mn = std::min({v[0], v[1], v[2]});
    if (mx <= 0 || mx - mn < 1e-9) return v;
    const double p = Smoothstep(PurityFrom, PurityTo, (mx - mn) / mx);
    const double newMin = mn * (1 - p);
    for (double& x : v) x = mx - (mx - x) * (mx - newMin) / (mx - mn);
    return v;
}

Vec3 BaseNode(const DeviceModel& dev, Character ch, double L, double a, double b) {
    const cmsCIELab lab = dev.CompensateBlack({L, a, b});
    cmsCIELCh lch;
    cmsLab2LCh(&lch, &lab);
    lch = MapIntoGamut(dev, ch, lch);
    cmsCIELab mapped;
    cmsLCh2Lab(&mapped, &lch);
    Vec3 v = dev.ToDevice(mapped);
    if (ch == Character::Saturated) v = Purify(v);
    for (double& x : v) x *= 255.0;
    return v;
}

double Dist2(double L1, double a1, double b1, double L2, double a2, double b2) {
    return (L1 - L2) * (L1 - L2) + (a1 - a2) * (a1 - a2) + (b1 - b2) * (b1 - b2);
}

// Solves A x = y for a small dense system (Gaussian elimination with pivoting).
template <size_t K>
std::array<double, K> Solve(std::array<std::array<double, K>, K> A, std::array<double, K> y) {
    for (size_t c = 0; c < K; ++c) {
        size_t p = c;
        for (size_t r = c + 1; r < K; ++r)
            if (std::fabs(A[r][c]) > std::fabs(A[p][c])) p = r;
        std::swap(A[c], A[p]);
        std::swap(y[c], y[p]);
        for (size_t r = c + 1; r < K; ++r) {
            const double f = A[r][c] / A[c][c];
            for (size_t k = c; k < K; ++k) A[r][k] -= f * A[c][k];
            y[r] -= f * y[c];
        }
    }
    std::array<double, K> x{};
    for (size_t c = K; c-- > 0;) {
        double s = y[c];
        for (size_t k = c + 1; k < K; ++k) s -= A[c][k] * x[k];
        x[c] = s / A[c][c];
    }
    return x;
}

struct Stats {
    double maxNeutralFix = 0, maxAnchorFix = 0;
};

std::vector<uint8_t> BuildTable(const DeviceModel& dev, const TableRecipe& recipe, Stats& stats) {
    std::vector<Vec3> v(N * N * N);
    auto at = [&](int iL, int ia, int ib) -> Vec3& { return v[NodeOffset(iL, ia, ib) / 3]; };
    for (int iL = 0; iL < N; ++iL)
        for (int ia = 0; ia < N; ++ia)
            for (int ib = 0; ib < N; ++ib) at(iL, ia, ib) = BaseNode(dev, recipe.character, GridL[iL], GridAB[ia], GridAB[ib]);

    // Neutral axis: the measured grays, spread over the near-neutral colors of
    // the same lightness like a gray-balance calibration.
    for (int iL = 0; iL < N; ++iL) {
        Vec3 fix;
        for (int c = 0; c < 3; ++c) {
            fix[c] = DeviceModel::NeutralAxis[iL][c] - at(iL, NeutralIndex, NeutralIndex)[c];
            stats.maxNeutralFix = std::max(stats.maxNeutralFix, std::fabs(fix[c]));
        }
        for (int ia = 0; ia < N; ++ia)
            for (int ib = 0; ib < N; ++ib) {
                const double c2 = GridAB[ia] * GridAB[ia] + GridAB[ib] * GridAB[ib];
                const double w = std::exp(-c2 / (NeutralReach * NeutralReach));
                for (int c = 0; c < 3; ++c) at(iL, ia, ib)[c] += fix[c] * w;
            }
    }

    // Chromatic anchors: one smooth bump per anchor, zero on the neutral axis,
    // with weights solved so that every anchor is met at once.
    constexpr size_t K = 4;
    auto bump = [&](const Anchor& k, double L, double a, double b) {
        const double axis = 1 - std::exp(-(a * a + b * b) / (AxisGuard * AxisGuard));
        return axis * std::exp(-Dist2(L, a, b, k.L, k.a, k.b) / (AnchorReach * AnchorReach));
    };
    auto index = [](double value, const double* grid) {
        return static_cast<int>(std::find(grid, grid + N, value) - grid);
    };
    std::array<std::array<double, K>, K> A{};
    for (size_t j = 0; j < K; ++j)
        for (size_t k = 0; k < K; ++k) {
            const Anchor& p = recipe.anchors[j];
            A[j][k] = bump(recipe.anchors[k], p.L, p.a, p.b);
        }
    std::array<std::array<double, K>, 3> weights;
    for (int c = 0; c < 3; ++c) {
        std::array<double, K> residual;
        for (size_t j = 0; j < K; ++j) {
            const Anchor& p = recipe.anchors[j];
            residual[j] = p.rgb[c] - at(index(p.L, GridL), index(p.a, GridAB), index(p.b, GridAB))[c];
            stats.maxAnchorFix = std::max(stats.maxAnchorFix, std::fabs(residual[j]));
        }
        weights[c] = Solve(A, residual);
    }
    for (int iL = 0; iL < N; ++iL)
        for (int ia = 0; ia < N; ++ia)
            for (int ib = 0; ib < N; ++ib)
                for (size_t k = 0; k < K; ++k) {
                    const double w = bump(recipe.anchors[k], GridL[iL], GridAB[ia], GridAB[ib]);
                    for (int c = 0; c < 3; ++c) at(iL, ia, ib)[c] += weights[c][k] * w;
                }

    std::vector<uint8_t> bytes(N * N * N * 3);
    for (size_t i = 0; i < v.size(); ++i)
        for (int c = 0; c < 3; ++c)
            bytes[i * 3 + c] = static_cast<uint8_t>(std::lround(std::clamp(v[i][c], 0.0, 255.0)));

    // The correction is exact in real numbers; make sure rounding kept it so.
    auto expect = [&](int iL, int ia, int ib, const Rgb& rgb) {
        const size_t o = NodeOffset(iL, ia, ib);
        for (int c = 0; c < 3; ++c)
            if (bytes[o + c] != rgb[c])
                throw std::runtime_error(std::string(recipe.name) + ": anchor not met at node " + std::to_string(iL) + "," +
                                         std::to_string(ia) + "," + std::to_string(ib));
    };
    for (int iL = 0; iL < N; ++iL)
        expect(iL, NeutralIndex, NeutralIndex,
               {DeviceModel::NeutralAxis[iL][0], DeviceModel::NeutralAxis[iL][1], DeviceModel::NeutralAxis[iL][2]});
    for (const Anchor& p : recipe.anchors) expect(index(p.L, GridL), index(p.a, GridAB), index(p.b, GridAB), p.rgb);
    return bytes;
}

std::string SourceText(const std::vector<std::vector<uint8_t>>& tables) {
    std::string s =
        "// Base-color tables: CIELAB D50 on the engine's Lab grids to device RGB.\n"
        "// Generated by tools/basegen (cmake --build <build> --target base-tables);\n"
        "// edit the generator, not this file.\n"
        "#include \"engine/base_color_tables.h\"\n";
    constexpr int PerLine = 48;
    for (size_t t = 0; t < tables.size(); ++t) {
        s += "\nconst uint8_t ";
        s += Tables[t].arrayName;
        s += "[RdtBytes] = {\n";
        for (size_t i = 0; i < tables[t].size(); i += PerLine) {
            const size_t end = std::min(tables[t].size(), i + PerLine);
            for (size_t j = i; j < end; ++j) {
                s += std::to_string(tables[t][j]);
                s += ',';
            }
            s += '\n';
        }
        s += "};\n";
    }
    return s;
}

// One constant-L* plane: a* grows to the right, b* grows upwards, each node a
// square block.
void WriteSlice(const std::string& path, const std::vector<uint8_t>& table, int iL) {
    constexpr int Block = 16;
    const int size = N * Block;
    std::vector<uint8_t> rgb(static_cast<size_t>(size) * size * 3);
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            const int ia = x / Block, ib = N - 1 - y / Block;
            std::memcpy(&rgb[(static_cast<size_t>(y) * size + x) * 3], &table[NodeOffset(iL, ia, ib)], 3);
        }
    std::string error;
    if (!WriteImageFile(path, ImageFormat::Png, size, size, rgb.data(), error)) throw std::runtime_error(error);
}

int Usage(const char* message) {
    if (message) std::fprintf(stderr, "basegen: %s\n", message);
    std::fprintf(stderr, "usage: basegen --source FILE [--images DIR] [--report]\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    std::string source, images;
    bool report = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if ((arg == "--source" || arg == "--images") && i + 1 < argc)
            (arg == "--source" ? source : images) = argv[++i];
        else if (arg == "--report")
            report = true;
        else
            return Usage(("unknown argument '" + arg + "'").c_str());
    }
    if (source.empty()) return Usage("--source is required");

    try {
        const DeviceModel dev;
        std::vector<std::vector<uint8_t>> tables;
        for (const TableRecipe& recipe : Tables) {
            Stats stats;
            tables.push_back(BuildTable(dev, recipe, stats));
            if (report)
                std::printf("%-8s largest neutral correction %.2f, largest anchor correction %.2f\n", recipe.name,
                            stats.maxNeutralFix, stats.maxAnchorFix);
        }
        std::string error;
        const std::string text = SourceText(tables);
        if (!WriteFileAtomically(source, text.data(), text.size(), error)) throw std::runtime_error(error);
        if (!images.empty())
            for (size_t t = 0; t < tables.size(); ++t)
                for (int iL : {6, 9, 12})
                    WriteSlice(images + "/base-" + Tables[t].name + "-L" + std::to_string(static_cast<int>(GridL[iL])) + ".png",
                               tables[t], iL);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "basegen: %s\n", e.what());
        return 1;
    }
    return 0;
}
