// The stamp preview's geometry and colors, and the check of registered
// stamp files.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "ui/option/stamp_bitmap_file.h"
#include "ui/option/stamp_tables.h"

namespace {

TEST(StampSize, BuiltInStampsSwitchToTheLargeRowAtSizeFive) {
    const double small[] = {0.35355, 0.5, 0.70711, 0.86603, 1.0};
    for (int size = 0; size < 5; ++size) EXPECT_DOUBLE_EQ(StampSizeFactor(size, true), small[size]) << size;
    const double large[] = {0.70711, 0.8866, 1.0, 1.22474};
    for (int size = 5; size < 9; ++size) EXPECT_DOUBLE_EQ(StampSizeFactor(size, true), large[size - 5]) << size;
    // A square stamp grows from the 72-pixel picture to 101 pixels.
    EXPECT_EQ(ScaledStampExtent(72, 72, 4, true).Width, 72);
    EXPECT_EQ(ScaledStampExtent(144, 144, 5, true).Width, 101);
    EXPECT_EQ(ScaledStampExtent(144, 72, 6, true).Width, 127);  // 0.8866, not 0.8660 (which gives 124)
    EXPECT_EQ(ScaledStampExtent(144, 72, 6, true).Height, 63);
    EXPECT_EQ(ScaledStampExtent(72, 36, 0, true).Width, 25);
}

TEST(StampSize, RegisteredStampsUseTheFirstRowAndAreHalved) {
    const double row[] = {0.35355, 0.5, 0.70711, 0.86603, 1.0, 1.41421, 1.73205, 2.0, 2.44949};
    for (int size = 0; size < 9; ++size) EXPECT_DOUBLE_EQ(StampSizeFactor(size, false), row[size]) << size;
    const StampExtent at4 = ScaledStampExtent(101, 61, 4, false);
    EXPECT_EQ(at4.Width, 50);
    EXPECT_EQ(at4.Height, 30);
    const StampExtent at6 = ScaledStampExtent(100, 60, 6, false);  // 173 and 103, then halved
    EXPECT_EQ(at6.Width, 86);
    EXPECT_EQ(at6.Height, 51);
}

TEST(StampSize, StoredValuesOutsideTheRangeDrawClamped) {
    EXPECT_DOUBLE_EQ(StampSizeFactor(-4, true), 0.35355);
    EXPECT_DOUBLE_EQ(StampSizeFactor(40, true), 1.22474);
    EXPECT_DOUBLE_EQ(StampSizeFactor(40, false), 2.44949);
    EXPECT_EQ(BuiltInStampPicture(0, -1, false), 2146);
    EXPECT_EQ(BuiltInStampPicture(0, 99, true), 2144);
}

TEST(StampPicture, ResourceByStampSizeAndOutline) {
    EXPECT_EQ(BuiltInStampPicture(0, 4, false), 2146);
    EXPECT_EQ(BuiltInStampPicture(0, 4, true), 2148);
    EXPECT_EQ(BuiltInStampPicture(0, 5, false), 2142);
    EXPECT_EQ(BuiltInStampPicture(0, 8, true), 2144);
    EXPECT_EQ(BuiltInStampPicture(2, 5, false), 2205);
    EXPECT_EQ(BuiltInStampPicture(3, 0, true), 2134);
    EXPECT_EQ(BuiltInStampPicture(5, 7, true), 2168);
    EXPECT_EQ(BuiltInStampPicture(6, 4, false), 0);
    EXPECT_EQ(BuiltInStampPicture(-1, 4, false), 0);
}

TEST(StampPlacement, SevenPlacesInThePreview) {
    const StampRect area{11, 20, 152, 251};  // odd sums: halving cuts toward zero
    const StampExtent e{51, 31};
    const int cx = (11 + 152) / 2 - 51 / 2, cy = (20 + 251) / 2 - 31 / 2;
    const StampRect expected[] = {
        {cx, cy, cx + 51, cy + 31},    {11, 20, 62, 51},     {cx, 20, cx + 51, 51},   {101, 20, 152, 51},
        {11, 220, 62, 251}, {cx, 220, cx + 51, 251}, {101, 220, 152, 251},
    };
    for (int p = 0; p < StampPositionCount; ++p) EXPECT_EQ(PlaceStamp(area, e, p), expected[p]) << p;
    EXPECT_EQ(PlaceStamp(area, e, -3), expected[0]);
    EXPECT_EQ(PlaceStamp(area, e, 17), expected[6]);
}

TEST(StampPlacement, TopRightIsFlushAndTheClipHidesTwoPixels) {
    const StampRect area{10, 10, 150, 240};
    const StampRect at = PlaceStamp(area, {72, 72}, 3);
    EXPECT_EQ(at.Right, area.Right);
    EXPECT_EQ(at.Top, area.Top);
    EXPECT_EQ(PreviewClip(area), (StampRect{12, 12, 148, 238}));
}

TEST(StampColor, TintFollowsColorAndDensity) {
    EXPECT_EQ(StampTint(0, 0), (StampRgb{192, 192, 192}));
    EXPECT_EQ(StampTint(0, 8), (StampRgb{0, 0, 0}));
    EXPECT_EQ(StampTint(1, 8), (StampRgb{255, 0, 0}));
    EXPECT_EQ(StampTint(2, 4), (StampRgb{96, 255, 96}));
    EXPECT_EQ(StampTint(3, 7), (StampRgb{24, 24, 255}));
    EXPECT_EQ(StampTint(4, 2), (StampRgb{144, 255, 255}));
    EXPECT_EQ(StampTint(5, 1), (StampRgb{255, 168, 255}));
    EXPECT_EQ(StampTint(6, 0), (StampRgb{255, 255, 192}));
    // Out of range: drawn as the nearest valid color and density.
    EXPECT_EQ(StampTint(-2, 20), (StampRgb{0, 0, 0}));
    EXPECT_EQ(StampTint(12, -5), (StampRgb{255, 255, 192}));
}

TEST(StampColor, PaletteRampOfEachColor) {
    EXPECT_EQ(StampRampEntry(0, 17), (StampRgb{17, 17, 17}));
    EXPECT_EQ(StampRampEntry(1, 0), (StampRgb{255, 0, 0}));
    EXPECT_EQ(StampRampEntry(4, 254), (StampRgb{254, 255, 255}));
    EXPECT_EQ(StampRampEntry(5, 96), (StampRgb{255, 96, 255}));
    EXPECT_EQ(StampRampEntry(6, 255), (StampRgb{255, 255, 255}));
}

// ---- registered stamp files ------------------------------------------------

void Put16(std::vector<uint8_t>& b, size_t at, uint16_t v) {
    b[at] = v & 0xFF;
    b[at + 1] = v >> 8;
}
void Put32(std::vector<uint8_t>& b, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + i] = (v >> (8 * i)) & 0xFF;
}

// A file of `width` x `height` at `bits` per pixel with a 40-byte header.
std::vector<uint8_t> BitmapFile(int32_t width, int32_t height, int bits, uint32_t compression = 0,
                                size_t pixelBytes = SIZE_MAX) {
    const uint32_t colors = bits <= 8 ? 1u << bits : 0;
    const size_t offset = 14 + 40 + colors * 4;
    const int32_t rows = height < 0 ? -height : height;
    const size_t stride = ((static_cast<size_t>(width) * bits + 31) / 32) * 4;
    if (pixelBytes == SIZE_MAX) pixelBytes = stride * rows;
    std::vector<uint8_t> b(offset + pixelBytes, 0xFF);
    b[0] = 'B';
    b[1] = 'M';
    Put32(b, 2, static_cast<uint32_t>(b.size()));
    Put32(b, 6, 0);
    Put32(b, 10, static_cast<uint32_t>(offset));
    Put32(b, 14, 40);
    Put32(b, 18, static_cast<uint32_t>(width));
    Put32(b, 22, static_cast<uint32_t>(height));
    Put16(b, 26, 1);
    Put16(b, 28, static_cast<uint16_t>(bits));
    Put32(b, 30, compression);
    Put32(b, 34, 0);
    Put32(b, 38, 2835);
    Put32(b, 42, 2835);
    Put32(b, 46, 0);
    Put32(b, 50, 0);
    return b;
}

TEST(StampFile, AcceptsPlainAndCompressedBitmaps) {
    StampBitmapLayout layout;
    auto rgb = BitmapFile(3, 2, 24);
    ASSERT_TRUE(CheckStampBitmap(rgb.data(), rgb.size(), &layout));
    EXPECT_EQ(layout.Width, 3);
    EXPECT_EQ(layout.Height, 2);
    EXPECT_FALSE(layout.TopDown);
    EXPECT_EQ(layout.BitsOffset, 54u);
    EXPECT_EQ(layout.BitsBytes, 24u);  // rows padded to 12 bytes

    auto topDown = BitmapFile(5, -4, 8);
    ASSERT_TRUE(CheckStampBitmap(topDown.data(), topDown.size(), &layout));
    EXPECT_TRUE(layout.TopDown);
    EXPECT_EQ(layout.Height, 4);

    auto rle = BitmapFile(300, 200, 8, 1, 6);  // a few run-length codes
    ASSERT_TRUE(CheckStampBitmap(rle.data(), rle.size(), &layout));
    EXPECT_EQ(layout.Compression, 1u);
    EXPECT_EQ(layout.BitsBytes, 6u);
}

TEST(StampFile, RefusesWhatCannotBeDrawnSafely) {
    auto good = BitmapFile(16, 16, 24);
    ASSERT_TRUE(CheckStampBitmap(good.data(), good.size(), nullptr));

    EXPECT_FALSE(CheckStampBitmap(good.data(), good.size() - 1, nullptr)) << "truncated pixel data";
    EXPECT_FALSE(CheckStampBitmap(good.data(), 20, nullptr)) << "truncated header";
    EXPECT_FALSE(CheckStampBitmap(nullptr, 0, nullptr));

    auto notBitmap = good;
    notBitmap[0] = 'G';
    EXPECT_FALSE(CheckStampBitmap(notBitmap.data(), notBitmap.size(), nullptr));

    auto enormous = BitmapFile(100000, 100000, 24, 0, 64);
    EXPECT_FALSE(CheckStampBitmap(enormous.data(), enormous.size(), nullptr));
    auto tooManyPixels = BitmapFile(4096, 4096, 1, 0, 64);
    EXPECT_FALSE(CheckStampBitmap(tooManyPixels.data(), tooManyPixels.size(), nullptr));

    auto empty = BitmapFile(16, 0, 24, 0, 0);
    EXPECT_FALSE(CheckStampBitmap(empty.data(), empty.size(), nullptr));
    auto negativeWidth = BitmapFile(-16, 16, 24, 0, 16 * 48);
    EXPECT_FALSE(CheckStampBitmap(negativeWidth.data(), negativeWidth.size(), nullptr));

    auto hugeHeader = good;
    Put32(hugeHeader, 14, 0xFFFFFFF0u);
    EXPECT_FALSE(CheckStampBitmap(hugeHeader.data(), hugeHeader.size(), nullptr));

    auto offsetOutside = good;
    Put32(offsetOutside, 10, 0x7FFFFFFF);
    EXPECT_FALSE(CheckStampBitmap(offsetOutside.data(), offsetOutside.size(), nullptr));

    auto oddDepth = good;
    Put16(oddDepth, 28, 7);
    EXPECT_FALSE(CheckStampBitmap(oddDepth.data(), oddDepth.size(), nullptr));

    auto manyColors = BitmapFile(8, 8, 8);
    Put32(manyColors, 46, 300);
    EXPECT_FALSE(CheckStampBitmap(manyColors.data(), manyColors.size(), nullptr));

    auto topDownRle = BitmapFile(8, -8, 8, 1, 4);
    EXPECT_FALSE(CheckStampBitmap(topDownRle.data(), topDownRle.size(), nullptr));
    auto rleWrongDepth = BitmapFile(8, 8, 24, 1, 4);
    EXPECT_FALSE(CheckStampBitmap(rleWrongDepth.data(), rleWrongDepth.size(), nullptr));
}

}  // namespace
