// The printer's device RGB as the base-color generator sees it: a subtractive
// three-toner model (device red, green, blue drive cyan, magenta, yellow
// coverage through tone curves; Yule-Nielsen modified Neugebauer mixing of the
// eight toner overprints), with tone curves fitted so that the measured
// neutral axis prints neutral at its lightness.
#pragma once

#include <lcms2.h>

#include <array>
#include <vector>

using Vec3 = std::array<double, 3>;

class DeviceModel {
public:
    // Measured device grays for L* = 0, 10, 16, ..., 94, 100.
    static const int NeutralAxis[17][3];
    static constexpr double BlackL = 6.0;

    DeviceModel();
    ~DeviceModel();
    DeviceModel(const DeviceModel&) = delete;
    DeviceModel& operator=(const DeviceModel&) = delete;

    // Black-point compensation: scales XYZ so that L* 0 lands on the device
    // black and the white stays put.
    cmsCIELab CompensateBlack(const cmsCIELab& lab) const;
    // Largest chroma the device reaches at this lightness and hue (degrees).
    double MaxChroma(double L, double h) const;
    bool InGamut(const cmsCIELab& lab) const;
    // Lightness of the most chromatic color the device prints at a hue.
    double CuspLightness(double h) const;
    // Device values 0..1 of a color, limited to the device's range.
    Vec3 ToDevice(const cmsCIELab& lab) const;

    // Toner coverage (0..1 cyan, magenta, yellow) to Lab.
    cmsCIELab Print(const Vec3& coverage) const;

private:
    // Coverage that prints the color; false when the color is out of gamut
    // (coverage is then the closest the search reached).
    bool Coverage(const cmsCIELab& lab, Vec3& coverage) const;
    Vec3 NeutralCoverage(double L) const;
    double InverseCurve(int channel, double coverage) const;

    cmsToneCurve* curves_[3] = {};  // device value to coverage, falling
    double overprintRoots_[8][3] = {};  // XYZ of the overprints, Yule-Nielsen root taken
    std::vector<std::array<double, 2>> cusps_;  // (hue, lightness) along the primaries' edges, by hue
    std::array<Vec3, 17> neutralCoverage_{};
    std::array<double, 17> neutralL_{};
    double blackY_ = 0;
};
