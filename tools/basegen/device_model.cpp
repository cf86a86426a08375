#include "tools/basegen/device_model.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>
#include <vector>

const int DeviceModel::NeutralAxis[17][3] = {
    {1, 0, 0},       {25, 8, 22},     {36, 21, 38},    {46, 28, 52},    {58, 42, 64},    {83, 67, 90},
    {99, 88, 109},   {115, 104, 121}, {132, 122, 134}, {160, 146, 160}, {175, 168, 175}, {186, 181, 185},
    {198, 194, 196}, {215, 212, 213}, {229, 228, 228}, {241, 242, 242}, {255, 255, 255},
};

namespace {

constexpr double NeutralL[17] = {0, 10, 16, 22, 28, 34, 40, 46, 52, 58, 64, 70, 76, 82, 88, 94, 100};
constexpr int CurveSamples = 4096;

double LuminanceOf(double L) {
    const cmsCIELab lab{L, 0, 0};
    cmsCIEXYZ xyz;
    cmsLab2XYZ(cmsD50_XYZ(), &xyz, &lab);
    return xyz.Y;
}

// Monotone cubic (Fritsch-Carlson) through increasing points: the tone curves
// must not wiggle between the measured grays.
class MonotoneCubic {
public:
    MonotoneCubic(std::vector<double> x, std::vector<double> y) : x_(std::move(x)), y_(std::move(y)), m_(x_.size()) {
        const size_t n = x_.size();
        std::vector<double> d(n - 1);
        for (size_t i = 0; i + 1 < n; ++i) d[i] = (y_[i + 1] - y_[i]) / (x_[i + 1] - x_[i]);
        m_[0] = d[0];
        m_[n - 1] = d[n - 2];
        for (size_t i = 1; i + 1 < n; ++i) m_[i] = d[i - 1] * d[i] <= 0 ? 0 : (d[i - 1] + d[i]) / 2;
        for (size_t i = 0; i + 1 < n; ++i) {
            if (d[i] == 0) {
                m_[i] = m_[i + 1] = 0;
                continue;
            }
            const double a = m_[i] / d[i], b = m_[i + 1] / d[i], s = a * a + b * b;
            if (s > 9) {
                const double t = 3 / std::sqrt(s);
                m_[i] = t * a * d[i];
                m_[i + 1] = t * b * d[i];
            }
        }
    }
    double operator()(double x) const {
        const size_t i = std::min<size_t>(std::upper_bound(x_.begin(), x_.end(), x) - x_.begin(), x_.size() - 1) - 1;
        const double h = x_[i + 1] - x_[i], t = (x - x_[i]) / h;
        const double t2 = t * t, t3 = t2 * t;
        return (2 * t3 - 3 * t2 + 1) * y_[i] + (t3 - 2 * t2 + t) * h * m_[i] + (-2 * t3 + 3 * t2) * y_[i + 1] +
               (t3 - t2) * h * m_[i + 1];
    }

private:
    std::vector<double> x_, y_, m_;
};

bool Solve3(const double m[3][3], const double y[3], double x[3]) {
    const double det = m[0][0] * (m[1][1] * m[2][2] - m[1][2] * m[2][1]) - m[0][1] * (m[1][0] * m[2][2] - m[1][2] * m[2][0]) +
                       m[0][2] * (m[1][0] * m[2][1] - m[1][1] * m[2][0]);
    if (std::fabs(det) < 1e-14) return false;
    for (int k = 0; k < 3; ++k) {
        double t[3][3];
        for (int r = 0; r < 3; ++r)
            for (int c = 0; c < 3; ++c) t[r][c] = c == k ? y[r] : m[r][c];
        x[k] = (t[0][0] * (t[1][1] * t[2][2] - t[1][2] * t[2][1]) - t[0][1] * (t[1][0] * t[2][2] - t[1][2] * t[2][0]) +
                t[0][2] * (t[1][0] * t[2][1] - t[1][1] * t[2][0])) /
               det;
    }
    return true;
}

// Overprints in the order of their bit masks (bit 0 cyan, 1 magenta, 2
// yellow), measured relative to the paper white, as a color laser prints them.
constexpr double OverprintLab[8][3] = {
    {100, 0, 0},    // paper
    {57, -36, -48},  // cyan
    {50, 74, -4},    // magenta
    {26, 24, -48},   // cyan + magenta
    {89, -4, 90},    // yellow
    {52, -62, 28},   // cyan + yellow
    {48, 68, 50},    // magenta + yellow
    {5, 0, 0},       // all three
};
constexpr double YuleNielsen = 2.0;

double DeltaE(const cmsCIELab& p, const cmsCIELab& q) {
    return std::sqrt((p.L - q.L) * (p.L - q.L) + (p.a - q.a) * (p.a - q.a) + (p.b - q.b) * (p.b - q.b));
}

}  // namespace

DeviceModel::DeviceModel() {
    blackY_ = LuminanceOf(BlackL);
    for (int i = 0; i < 8; ++i) {
        const cmsCIELab lab{OverprintLab[i][0], OverprintLab[i][1], OverprintLab[i][2]};
        cmsCIEXYZ xyz;
        cmsLab2XYZ(cmsD50_XYZ(), &xyz, &lab);
        overprintRoots_[i][0] = std::pow(xyz.X, 1 / YuleNielsen);
        overprintRoots_[i][1] = std::pow(xyz.Y, 1 / YuleNielsen);
        overprintRoots_[i][2] = std::pow(xyz.Z, 1 / YuleNielsen);
    }
    // The most chromatic colors lie on the edges joining the single toners and
    // their overprints: one toner full, one absent, the third varying.
    const int corners[7][3] = {{1, 0, 0}, {1, 0, 1}, {0, 0, 1}, {0, 1, 1}, {0, 1, 0}, {1, 1, 0}, {1, 0, 0}};
    for (int e = 0; e < 6; ++e)
        for (int s = 0; s < 256; ++s) {
            const double t = s / 256.0;
            Vec3 k;
            for (int c = 0; c < 3; ++c) k[c] = corners[e][c] + t * (corners[e + 1][c] - corners[e][c]);
            cmsCIELCh lch;
            const cmsCIELab lab = Print(k);
            cmsLab2LCh(&lch, &lab);
            cusps_.push_back({lch.h, lch.L});
        }
    std::sort(cusps_.begin(), cusps_.end());
    // The coverage that prints each measured gray neutral, darkest first.
    Vec3 guess{1, 1, 1};
    for (int i = 0; i < 17; ++i) {
        const cmsCIELab gray = CompensateBlack({NeutralL[i], 0, 0});
        neutralL_[i] = gray.L;
        Vec3 coverage = guess;
        for (int iter = 0; iter < 100; ++iter) {
            const cmsCIELab p = Print(coverage);
            const double f[3] = {gray.L - p.L, gray.a - p.a, gray.b - p.b};
            if (std::fabs(f[0]) + std::fabs(f[1]) + std::fabs(f[2]) < 1e-10) break;
            double J[3][3];
            for (int c = 0; c < 3; ++c) {
                Vec3 q = coverage;
                const double h = q[c] > 0.5 ? -1e-6 : 1e-6;
                q[c] += h;
                const cmsCIELab pq = Print(q);
                J[0][c] = (pq.L - p.L) / h;
                J[1][c] = (pq.a - p.a) / h;
                J[2][c] = (pq.b - p.b) / h;
            }
            double step[3];
            if (!Solve3(J, f, step)) break;
            for (int c = 0; c < 3; ++c) coverage[c] = std::clamp(coverage[c] + step[c], 0.0, 1.0);
        }
        if (DeltaE(Print(coverage), gray) > 1e-3) throw std::runtime_error("a measured gray is outside the toner gamut");
        neutralCoverage_[i] = guess = coverage;
    }
    // Each channel's curve takes the device value of a measured gray to the
    // coverage that prints that gray neutral.
    for (int c = 0; c < 3; ++c) {
        std::vector<double> x, y;
        if (NeutralAxis[0][c] > 0) {  // red is at 1 in the black: extend the first step down to 0
            const double slope = (neutralCoverage_[1][c] - neutralCoverage_[0][c]) / (NeutralAxis[1][c] - NeutralAxis[0][c]);
            x.push_back(0);
            y.push_back(std::min(1.0, neutralCoverage_[0][c] - slope * NeutralAxis[0][c]));
        }
        for (int i = 0; i < 17; ++i) {
            x.push_back(NeutralAxis[i][c] / 255.0);
            y.push_back(neutralCoverage_[i][c]);
        }
        const MonotoneCubic curve(x, y);
        std::vector<float> samples(CurveSamples);
        for (int i = 0; i < CurveSamples; ++i) samples[i] = static_cast<float>(curve(i / double(CurveSamples - 1)));
        curves_[c] = cmsBuildTabulatedToneCurveFloat(nullptr, CurveSamples, samples.data());
        if (!curves_[c]) throw std::runtime_error("cannot build a tone curve");
    }
}

DeviceModel::~DeviceModel() {
    for (cmsToneCurve* c : curves_)
        if (c) cmsFreeToneCurve(c);
}

cmsCIELab DeviceModel::CompensateBlack(const cmsCIELab& lab) const {
    const cmsCIEXYZ* w = cmsD50_XYZ();
    cmsCIEXYZ xyz;
    cmsLab2XYZ(w, &xyz, &lab);
    xyz.X = xyz.X * (1 - blackY_) + blackY_ * w->X;
    xyz.Y = xyz.Y * (1 - blackY_) + blackY_ * w->Y;
    xyz.Z = xyz.Z * (1 - blackY_) + blackY_ * w->Z;
    cmsCIELab out;
    cmsXYZ2Lab(w, &out, &xyz);
    return out;
}

cmsCIELab DeviceModel::Print(const Vec3& k) const {
    double sum[3] = {0, 0, 0};
    for (int i = 0; i < 8; ++i) {
        const double w = (i & 1 ? k[0] : 1 - k[0]) * (i & 2 ? k[1] : 1 - k[1]) * (i & 4 ? k[2] : 1 - k[2]);
        for (int c = 0; c < 3; ++c) sum[c] += w * overprintRoots_[i][c];
    }
    static_assert(YuleNielsen == 2.0, "the mixing below squares");
    const cmsCIEXYZ xyz{sum[0] * sum[0], sum[1] * sum[1], sum[2] * sum[2]};
    cmsCIELab lab;
    cmsXYZ2Lab(cmsD50_XYZ(), &lab, &xyz);
    return lab;
}

Vec3 DeviceModel::NeutralCoverage(double L) const {
    if (L <= neutralL_[0]) return neutralCoverage_[0];
    for (int i = 1; i < 17; ++i)
        if (L <= neutralL_[i]) {
            const double t = (L - neutralL_[i - 1]) / (neutralL_[i] - neutralL_[i - 1]);
            Vec3 v;
            for (int c = 0; c < 3; ++c) v[c] = neutralCoverage_[i - 1][c] + t * (neutralCoverage_[i][c] - neutralCoverage_[i - 1][c]);
            return v;
        }
    return neutralCoverage_[16];
}

// Damped Newton search in coverage, kept inside the unit cube.
bool DeviceModel::Coverage(const cmsCIELab& lab, Vec3& coverage) const {
    coverage = NeutralCoverage(lab.L);
    cmsCIELab p = Print(coverage);
    double err = DeltaE(p, lab);
    for (int iter = 0; iter < 60 && err > 1e-6; ++iter) {
        double J[3][3];
        for (int c = 0; c < 3; ++c) {
            Vec3 q = coverage;
            const double h = q[c] > 0.5 ? -1e-6 : 1e-6;
            q[c] += h;
            const cmsCIELab pq = Print(q);
            J[0][c] = (pq.L - p.L) / h;
            J[1][c] = (pq.a - p.a) / h;
            J[2][c] = (pq.b - p.b) / h;
        }
        const double f[3] = {lab.L - p.L, lab.a - p.a, lab.b - p.b};
        double step[3];
        if (!Solve3(J, f, step)) break;
        bool improved = false;
        for (double scale = 1; scale > 1e-3; scale /= 2) {
            Vec3 next;
            for (int c = 0; c < 3; ++c) next[c] = std::clamp(coverage[c] + scale * step[c], 0.0, 1.0);
            const cmsCIELab pn = Print(next);
            const double e = DeltaE(pn, lab);
            if (e < err) {
                coverage = next;
                p = pn;
                err = e;
                improved = true;
                break;
            }
        }
        if (!improved) break;
    }
    return err < 1e-3;
}

bool DeviceModel::InGamut(const cmsCIELab& lab) const {
    Vec3 coverage;
    return Coverage(lab, coverage);
}

double DeviceModel::CuspLightness(double h) const {
    const auto next = std::lower_bound(cusps_.begin(), cusps_.end(), std::array<double, 2>{h, -1.0});
    const auto& b = next == cusps_.end() ? cusps_.front() : *next;
    const auto& a = next == cusps_.begin() ? cusps_.back() : *(next - 1);
    const double span = std::fmod(b[0] - a[0] + 360, 360), into = std::fmod(h - a[0] + 360, 360);
    return span <= 0 ? a[1] : a[1] + (b[1] - a[1]) * into / span;
}

double DeviceModel::MaxChroma(double L, double h) const {
    Vec3 coverage;
    if (!Coverage(cmsCIELab{L, 0, 0}, coverage)) return 0;
    double lo = 0, hi = 200;
    for (int i = 0; i < 26; ++i) {
        const double mid = (lo + hi) / 2;
        const cmsCIELCh lch{L, mid, h};
        cmsCIELab lab;
        cmsLCh2Lab(&lab, &lch);
        (Coverage(lab, coverage) ? lo : hi) = mid;
    }
    return lo;
}

double DeviceModel::InverseCurve(int channel, double coverage) const {
    double lo = 0, hi = 1;  // the curve falls: more device value, less toner
    for (int i = 0; i < 40; ++i) {
        const double mid = (lo + hi) / 2;
        (cmsEvalToneCurveFloat(curves_[channel], static_cast<float>(mid)) > coverage ? lo : hi) = mid;
    }
    return (lo + hi) / 2;
}

Vec3 DeviceModel::ToDevice(const cmsCIELab& lab) const {
    Vec3 coverage;
    Coverage(lab, coverage);
    Vec3 out;
    for (int c = 0; c < 3; ++c) out[c] = InverseCurve(c, coverage[c]);
    return out;
}
