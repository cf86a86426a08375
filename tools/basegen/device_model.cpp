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

bool Invert3(const double m[3][3], double out[3][3]) {
    const double det = m[0][0] * (m[1][1] * m[2][2] - m[1][2] * m[2][1]) - m[0][1] * (m[1][0] * m[2][2] - m[1][2] * m[2][0]) +
                       m[0][2] * (m[1][0] * m[2][1] - m[1][1] * m[2][0]);
    if (std::fabs(det) < 1e-12) return false;
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c) {
            const int r1 = (c + 1) % 3, r2 = (c + 2) % 3, c1 = (r + 1) % 3, c2 = (r + 2) % 3;
            out[r][c] = (m[r1][c1] * m[r2][c2] - m[r1][c2] * m[r2][c1]) / det;
        }
    return true;
}

}  // namespace

DeviceModel::DeviceModel() {
    blackY_ = LuminanceOf(BlackL);
    // Each channel's curve takes the device value of a measured gray to the
    // linear light of that gray after black-point compensation, so equal
    // linear values (neutral in a matrix profile) print as the measured grays.
    for (int c = 0; c < 3; ++c) {
        std::vector<double> x, y;
        if (NeutralAxis[0][c] > 0) {  // the red channel is at 1 in the black: start just below it
            x.push_back(0);
            y.push_back(blackY_ * 0.85);
        }
        for (int i = 0; i < 17; ++i) {
            x.push_back(NeutralAxis[i][c] / 255.0);
            y.push_back(blackY_ + LuminanceOf(NeutralL[i]) * (1 - blackY_));
        }
        const MonotoneCubic curve(x, y);
        std::vector<float> samples(CurveSamples);
        for (int i = 0; i < CurveSamples; ++i) samples[i] = static_cast<float>(curve(i / double(CurveSamples - 1)));
        curves_[c] = cmsBuildTabulatedToneCurveFloat(nullptr, CurveSamples, samples.data());
        if (!curves_[c]) throw std::runtime_error("cannot build a tone curve");
        linearBlack_[c] = cmsEvalToneCurveFloat(curves_[c], 0.0f);
    }
    // sRGB primaries and white; lcms2 adapts the colorants to D50.
    const cmsCIExyY white{0.3127, 0.3290, 1.0};
    const cmsCIExyYTRIPLE primaries{{0.64, 0.33, 1.0}, {0.30, 0.60, 1.0}, {0.15, 0.06, 1.0}};
    profile_ = cmsCreateRGBProfile(&white, &primaries, curves_);
    if (!profile_) throw std::runtime_error("cannot build the device profile");
    const cmsTagSignature tags[3] = {cmsSigRedColorantTag, cmsSigGreenColorantTag, cmsSigBlueColorantTag};
    double toXyz[3][3];
    for (int c = 0; c < 3; ++c) {
        const auto* xyz = static_cast<const cmsCIEXYZ*>(cmsReadTag(profile_, tags[c]));
        if (!xyz) throw std::runtime_error("device profile lacks colorants");
        toXyz[0][c] = xyz->X;
        toXyz[1][c] = xyz->Y;
        toXyz[2][c] = xyz->Z;
    }
    if (!Invert3(toXyz, fromXyz_)) throw std::runtime_error("singular device matrix");
}

DeviceModel::~DeviceModel() {
    if (profile_) cmsCloseProfile(profile_);
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

bool DeviceModel::ToLinear(const cmsCIELab& lab, Vec3& linear) const {
    cmsCIEXYZ xyz;
    cmsLab2XYZ(cmsD50_XYZ(), &xyz, &lab);
    bool inside = true;
    for (int c = 0; c < 3; ++c) {
        linear[c] = fromXyz_[c][0] * xyz.X + fromXyz_[c][1] * xyz.Y + fromXyz_[c][2] * xyz.Z;
        inside = inside && linear[c] >= linearBlack_[c] - 1e-7 && linear[c] <= 1 + 1e-7;
    }
    return inside;
}

double DeviceModel::MaxChroma(double L, double h) const {
    Vec3 linear;
    if (!ToLinear(cmsCIELab{L, 0, 0}, linear)) return 0;
    double lo = 0, hi = 250;
    for (int i = 0; i < 48; ++i) {
        const double mid = (lo + hi) / 2;
        const cmsCIELCh lch{L, mid, h};
        cmsCIELab lab;
        cmsLCh2Lab(&lab, &lch);
        (ToLinear(lab, linear) ? lo : hi) = mid;
    }
    return lo;
}

double DeviceModel::InverseCurve(int channel, double linear) const {
    double lo = 0, hi = 1;
    for (int i = 0; i < 40; ++i) {
        const double mid = (lo + hi) / 2;
        (cmsEvalToneCurveFloat(curves_[channel], static_cast<float>(mid)) < linear ? lo : hi) = mid;
    }
    return (lo + hi) / 2;
}

Vec3 DeviceModel::ToDevice(const cmsCIELab& lab) const {
    Vec3 linear;
    ToLinear(lab, linear);
    Vec3 out;
    for (int c = 0; c < 3; ++c) out[c] = InverseCurve(c, std::clamp(linear[c], linearBlack_[c], 1.0));
    return out;
}
