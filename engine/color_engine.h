// The color adjustment engine: turns a ColorAdjustment into the 17 x 17 x 17
// rendering data table (input RGB to adjusted device RGB) through CIE L*a*b*
// and a base-color table, and reads colors back out of that table.
//
// The adjustment parameters and the table are process-wide and unlocked: one
// build must finish before another starts or before the table is read.
#pragma once

#include <cstddef>
#include <cstdint>

#include "ui/common/records.h"

// Adjustment tables, indexed by field value + 10 limited to 0..20.
constexpr int AdjustmentSteps = 21;
extern const double LightnessExponentTable[AdjustmentSteps];  // Bright
extern const double ContrastBlendTable[AdjustmentSteps];      // Contrast
extern const double ChromaFactorTable[AdjustmentSteps];       // Fullness

// The non-uniform L*, a* and b* grids on which the base-color tables are sampled.
constexpr int LabGridPoints = 17;
extern const double LabLightnessGrid[LabGridPoints];
extern const double LabChromaGrid[LabGridPoints];  // a* and b*

struct AdjustmentParameters {
    const uint8_t* BaseColorTable;  // RdtBytes, addressed ((iL*17 + ia)*17 + ib)*3
    double GammaRed;                // balance gamma divisors
    double GammaGreen;
    double GammaBlue;
    double LightnessExponent;
    double ContrastBlend;
    double ChromaFactor;
};

struct DeviceColor {
    double Red;
    double Green;
    double Blue;
};

struct LabColor {
    double L;
    double a;
    double b;
};

// Every intermediate of one node's trip through the chain.
struct NodeTrace {
    double LinearRed, LinearGreen, LinearBlue;  // after the balance gamma
    double X, Y, Z;                             // D50
    LabColor Lab;                               // straight from XYZ
    LabColor Brightness;                        // after the lightness exponent
    LabColor Contrast;                          // after the contrast curve
    LabColor Saturation;                        // after the chroma factor
    LabColor ChromaLimit;                       // a*, b* within +-120, hue kept
    DeviceColor Device;                         // base-color table lookup
};

// The base-color table that a BaseColor code selects (anything but 1..4: normal).
const uint8_t* SelectBaseColorTable(int32_t baseColor);

void PrepareAdjustment(const ColorAdjustment& color);
const AdjustmentParameters& CurrentAdjustment();

// One input color (each channel 0..256; 256 is the extra lattice node) through
// the chain with the parameters last prepared. Out-of-range inputs are limited.
DeviceColor AdjustNode(int r, int g, int b);
NodeTrace TraceNode(int r, int g, int b);

// Trilinear lookup in the prepared base-color table, or in a given one.
DeviceColor LabToDevice(double L, double a, double b);
DeviceColor LabToDeviceIn(const uint8_t* baseTable, double L, double a, double b);

// Prepares the parameters from the record and rebuilds every node of the table.
void BuildRdt(const ColorAdjustment& color);

// The build uses AVX2 where the processor has it; switched off, it runs the
// plain code (same bytes). For tests and benchmarks.
void SetVectorBuild(bool enabled);

// The lookup as the table build does it, truncated to the bytes it stores:
// three bytes per color.
void LookupToBytes(const uint8_t* baseTable, const LabColor* lab, uint8_t* out, size_t count);

// The engine's table as last built (zero before the first build).
const uint8_t* CurrentRdt();

// Integer trilinear lookup of one 8-bit color in the current table, or in a
// given one.
void MapThroughRdt(uint8_t r, uint8_t g, uint8_t b, uint8_t* outR, uint8_t* outG, uint8_t* outB);
void MapThroughTable(const uint8_t* rdt, uint8_t r, uint8_t g, uint8_t b, uint8_t* outR, uint8_t* outG,
                     uint8_t* outB);
