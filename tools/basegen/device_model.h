// The printer's device RGB as the base-color generator sees it: an lcms2 RGB
// profile whose tone curves reproduce the measured neutral axis, a device
// black of L* 6, and the gamut that follows from them.
#pragma once

#include <lcms2.h>

#include <array>

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
    // Device values 0..1 of a color, limited to the device's range.
    Vec3 ToDevice(const cmsCIELab& lab) const;

private:
    bool ToLinear(const cmsCIELab& lab, Vec3& linear) const;
    double InverseCurve(int channel, double linear) const;

    cmsHPROFILE profile_ = nullptr;
    cmsToneCurve* curves_[3] = {};
    double fromXyz_[3][3] = {};
    Vec3 linearBlack_{};
    double blackY_ = 0;
};
