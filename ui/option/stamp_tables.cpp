#include "ui/option/stamp_tables.h"

#include "ui/common/artwork_ids.h"

namespace {

// Small solid, small outline, large solid, large outline.
const int StampPictures[BuiltInStampCount][4] = {
    {IDB_STAMP_CONFIDENTIAL_SMALL, IDB_STAMP_CONFIDENTIAL_SMALL_OUTLINE, IDB_STAMP_CONFIDENTIAL_LARGE,
     IDB_STAMP_CONFIDENTIAL_LARGE_OUTLINE},
    {IDB_STAMP_DONOTCOPY_SMALL, IDB_STAMP_DONOTCOPY_SMALL_OUTLINE, IDB_STAMP_DONOTCOPY_LARGE,
     IDB_STAMP_DONOTCOPY_LARGE_OUTLINE},
    {IDB_STAMP_HI_SMALL, IDB_STAMP_HI_SMALL_OUTLINE, IDB_STAMP_HI_LARGE, IDB_STAMP_HI_LARGE_OUTLINE},
    {IDB_STAMP_SHAGAIHI_SMALL, IDB_STAMP_SHAGAIHI_SMALL_OUTLINE, IDB_STAMP_SHAGAIHI_LARGE,
     IDB_STAMP_SHAGAIHI_LARGE_OUTLINE},
    {IDB_STAMP_COPYKINSHI_SMALL, IDB_STAMP_COPYKINSHI_SMALL_OUTLINE, IDB_STAMP_COPYKINSHI_LARGE,
     IDB_STAMP_COPYKINSHI_LARGE_OUTLINE},
    {IDB_STAMP_MIHON_SMALL, IDB_STAMP_MIHON_SMALL_OUTLINE, IDB_STAMP_MIHON_LARGE, IDB_STAMP_MIHON_LARGE_OUTLINE},
};

// Square roots of 1/8, 1/4, 1/2, 3/4, 1, 2, 3, 4 and 6.
const double SizeFactors[StampLevelCount] = {0.35355, 0.5, 0.70711, 0.86603, 1.0, 1.41421, 1.73205, 2.0, 2.44949};
// The large pictures are twice as wide, so they start lower. Size 6 is
// 0.8866 in the printer's own table, and the preview matches the printer.
const double LargePictureFactors[StampLevelCount - LargeStampFirstSize] = {0.70711, 0.8866, 1.0, 1.22474};

// Which channels of a color stay at full strength; the others follow the
// density (tint) or the ramp index (palette).
struct ColorChannels {
    bool Red, Green, Blue;
};
const ColorChannels StampColors[StampColorCount] = {
    {false, false, false},  // black
    {true, false, false},   // red
    {false, true, false},   // green
    {false, false, true},   // blue
    {false, true, true},    // cyan
    {true, false, true},    // magenta
    {true, true, false},    // yellow
};

StampRgb Mix(int color, int level) {
    const ColorChannels& c = StampColors[ClampToRange(color, StampColorCount)];
    auto channel = [level](bool full) { return static_cast<uint8_t>(full ? 255 : level); };
    return {channel(c.Red), channel(c.Green), channel(c.Blue)};
}

}  // namespace

int ClampToRange(int value, int count) {
    if (value < 0) return 0;
    return value < count ? value : count - 1;
}

int BuiltInStampPicture(int stamp, int size, bool outline) {
    if (!IsBuiltInStamp(stamp)) return 0;
    int column = (ClampToRange(size, StampLevelCount) >= LargeStampFirstSize ? 2 : 0) + (outline ? 1 : 0);
    return StampPictures[stamp][column];
}

double StampSizeFactor(int size, bool builtIn) {
    size = ClampToRange(size, StampLevelCount);
    if (builtIn && size >= LargeStampFirstSize) return LargePictureFactors[size - LargeStampFirstSize];
    return SizeFactors[size];
}

StampExtent ScaledStampExtent(int width, int height, int size, bool builtIn) {
    double f = StampSizeFactor(size, builtIn);
    StampExtent e{static_cast<int>(width * f), static_cast<int>(height * f)};
    if (!builtIn) {
        e.Width /= 2;
        e.Height /= 2;
    }
    return e;
}

StampRect PlaceStamp(const StampRect& area, StampExtent e, int position) {
    const int centerX = (area.Left + area.Right) / 2 - e.Width / 2;
    const int centerY = (area.Top + area.Bottom) / 2 - e.Height / 2;
    const int right = area.Right - e.Width;
    const int bottom = area.Bottom - e.Height;
    struct Place {
        int X, Y;
    };
    const Place places[StampPositionCount] = {
        {centerX, centerY},        // 中央
        {area.Left, area.Top},     // 上端左
        {centerX, area.Top},       // 上端中央
        {right, area.Top},         // 上端右
        {area.Left, bottom},       // 下端左
        {centerX, bottom},         // 下端中央
        {right, bottom},           // 下端右
    };
    const Place& p = places[ClampToRange(position, StampPositionCount)];
    return {p.X, p.Y, p.X + e.Width, p.Y + e.Height};
}

StampRect PreviewClip(const StampRect& area) {
    return {area.Left + PreviewClipInset, area.Top + PreviewClipInset, area.Right - PreviewClipInset,
            area.Bottom - PreviewClipInset};
}

StampRgb StampTint(int color, int density) {
    return Mix(color, (8 - ClampToRange(density, StampLevelCount)) * 24);
}

StampRgb StampRampEntry(int color, int i) {
    return Mix(color, ClampToRange(i, 256));
}
