// Rules and tables of the color adjustment sheet that need no window: the
// first-paint layout of the color page, the base color codes, the sample
// files and the density page's enabling.
#pragma once

#include <cstddef>
#include <cstdint>

#include "ui/common/records.h"

// A window rectangle in pixels, in the page's client coordinates.
struct PixelRect {
    int32_t Left;
    int32_t Top;
    int32_t Right;
    int32_t Bottom;
};

struct PixelFrame {
    int32_t X;
    int32_t Y;
    int32_t W;
    int32_t H;
};

struct PixelSize {
    int32_t W;
    int32_t H;
};

constexpr int32_t SwatchFrameHeight = 66;
constexpr int32_t SwatchDrawHeight = 56;

// Where the color page's frames go on its first paint, from the window
// rectangles of the template's controls.
struct ColorPageLayout {
    PixelSize Bar;            // the six gradient bars
    PixelFrame SampleFrame;    // etched frame 2420
    PixelFrame SampleControl;  // picture 2071 inside it
    PixelFrame SwatchFrame;    // etched frame 2421
    PixelFrame SwatchControl;  // swatch 2118 inside it
};

struct ColorPageLayoutInput {
    PixelRect BrightScroll;    // scrollbar 2039
    PixelRect YellowStrip;     // gradient bar 2093 before it is resized
    PixelRect BalanceGroup;    // group box 2159
    PixelRect SampleLabel;     // label 2151
    PixelRect BaseColorLabel;  // label 2418
};

ColorPageLayout ComputeColorPageLayout(const ColorPageLayoutInput& in);

// Destination sizes of the preview drawings inside their controls.
PixelSize SampleDrawSize(const PixelFrame& sampleFrame);
PixelSize SwatchDrawSize(const PixelFrame& swatchFrame);

// Size of the density bars from scrollbar 2047.
PixelSize DensityBarSize(const PixelRect& blackScroll);

// The BaseColor codes of the base color list's positions, closed by -1.
extern const int32_t BaseColorCodes[5];

// The list position of a BaseColor code; a code the list lacks gives 4,
// which selects nothing.
int BaseColorIndexOf(int32_t baseColor);
// The code at a list position, or -1 for a position outside the list.
int32_t BaseColorCodeAt(int index);
// The sample picture file of a list position, or null outside the list.
const char* SampleFileName(int index);

// Density page: which controls the switch and the monochrome mode enable.
struct DensityControlRule {
    int Control;
    bool ColorInk;  // cyan, magenta or yellow: off in monochrome mode
};
extern const DensityControlRule DensityControlRules[];
extern const size_t DensityControlRuleCount;
bool DensityControlEnabled(const DensityControlRule& rule, int32_t gannma, int32_t colorMode);

// Whether the start of a bitmap file (`head`, up to its first 138 bytes)
// describes a picture that the file of `fileSize` bytes holds completely:
// "BM", a known header, 1 to 32 bits per pixel, uncompressed, bit-field or
// run-length pixels, and the pixel data within the file. A truncated or
// foreign file fails, so the platform's loader never reads past its end.
constexpr size_t BitmapHeadBytes = 14 + 124;
bool IsCompleteBitmapFile(const uint8_t* head, size_t headBytes, uint64_t fileSize);
