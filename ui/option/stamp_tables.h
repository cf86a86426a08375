// The stamp dialog's lists and the rules of its preview: which picture a
// stamp uses, how large it is drawn, where it sits in the preview and in
// which color. Portable: no window system here.
#pragma once

#include <cstdint>

constexpr int BuiltInStampCount = 6;   // list items 0..5; registered stamps follow
constexpr int StampLevelCount = 9;     // StampDensity and StampSize: 0..8
constexpr int StampPositionCount = 7;  // center, then the six edge places
constexpr int StampColorCount = 7;     // black, red, green, blue, cyan, magenta, yellow
constexpr int LargeStampFirstSize = 5; // sizes 5..8 use the large pictures
constexpr int PreviewClipInset = 2;    // the preview frame stays visible

struct StampRgb {
    uint8_t Red, Green, Blue;
    bool operator==(const StampRgb& o) const { return Red == o.Red && Green == o.Green && Blue == o.Blue; }
};

struct StampRect {
    int Left, Top, Right, Bottom;
    int Width() const { return Right - Left; }
    int Height() const { return Bottom - Top; }
    bool operator==(const StampRect& o) const {
        return Left == o.Left && Top == o.Top && Right == o.Right && Bottom == o.Bottom;
    }
};

// Stored values may be anything; drawing uses them clamped to their table.
int ClampToRange(int value, int count);
inline bool IsBuiltInStamp(int index) { return index >= 0 && index < BuiltInStampCount; }

// The bitmap resource of built-in stamp `stamp` (0..5) for `size` and the
// outline switch; 0 for a stamp that is not built in.
int BuiltInStampPicture(int stamp, int size, bool outline);

// The scale factor of `size`: built-in stamps use the second row for the
// large pictures (sizes 5..8), registered stamps always the first row.
double StampSizeFactor(int size, bool builtIn);

// The drawn size of a picture of `width` x `height` pixels: scaled and cut
// toward zero, then halved for a registered stamp.
struct StampExtent {
    int Width, Height;
};
StampExtent ScaledStampExtent(int width, int height, int size, bool builtIn);

// Where a drawn picture of `extent` sits in the preview `area` for `position`.
StampRect PlaceStamp(const StampRect& area, StampExtent extent, int position);

// The part of the preview area that drawing may touch.
StampRect PreviewClip(const StampRect& area);

// The color that every non-white pixel of a built-in stamp takes.
StampRgb StampTint(int color, int density);

// Entry `i` (0..255) of the palette ramp of `color`.
StampRgb StampRampEntry(int color, int i);
