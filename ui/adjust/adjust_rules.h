// Rules and tables of the color adjustment sheet that need no window: the
// first-paint layout of the color page, the lists and their codes, the
// density page's enabling, the context help tables.
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

struct FrameRect {
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
    FrameRect SampleFrame;    // etched frame 2420
    FrameRect SampleControl;  // picture 2071 inside it
    FrameRect SwatchFrame;    // etched frame 2421
    FrameRect SwatchControl;  // swatch 2118 inside it
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
PixelSize SampleDrawSize(const FrameRect& sampleFrame);
PixelSize SwatchDrawSize(const FrameRect& swatchFrame);

// Size of the density bars from scrollbar 2047.
PixelSize DensityBarSize(const PixelRect& blackScroll);

// Lists of the color page, as list tables of 32-byte entries closed by an
// entry of 0xFF and the default position.
constexpr size_t AdjustListEntryBytes = 32;
extern const char SampleListTable[5][AdjustListEntryBytes];
extern const char BaseColorListTable[5][AdjustListEntryBytes];
extern const int32_t BaseColorCodes[5];  // closed by -1

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
constexpr int32_t MonochromeColorMode = 3;
constexpr int32_t UserSettingColorMode = 4;
bool DensityControlEnabled(const DensityControlRule& rule, int32_t gannma, int32_t colorMode);

// Context help: (control, help context) pairs closed by a pair of zeros.
extern const uint32_t ColorPageHelpTable[];
extern const size_t ColorPageHelpWords;
extern const uint32_t DensityPageHelpTable[];
extern const size_t DensityPageHelpWords;
// The help context of a control in a table, or -1 when it is not listed.
int64_t HelpContextOf(const uint32_t* table, uint32_t control);
