#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "ui/adjust/adjust_resource.h"
#include "ui/adjust/adjust_rules.h"

namespace {

void ExpectFrame(const PixelFrame& r, int x, int y, int w, int h) {
    EXPECT_EQ(r.X, x);
    EXPECT_EQ(r.Y, y);
    EXPECT_EQ(r.W, w);
    EXPECT_EQ(r.H, h);
}

ColorPageLayoutInput SampleInput() {
    ColorPageLayoutInput in{};
    in.BrightScroll = {288, 27, 437, 39};     // 149 x 12
    in.YellowStrip = {266, 222, 391, 236};
    in.BalanceGroup = {162, 120, 441, 324};
    in.SampleLabel = {9, 12, 78, 27};
    in.BaseColorLabel = {24, 287, 87, 299};
    return in;
}

TEST(ColorPageLayout, BarsSwatchAndSampleFromTheTemplateRectangles) {
    const ColorPageLayout l = ComputeColorPageLayout(SampleInput());
    EXPECT_EQ(l.Bar.W, 125);  // 1490 / 12 = 124, plus one
    EXPECT_EQ(l.Bar.H, 14);
    // Swatch frame centred between the resized bar 2093 (bottom 236) and the group's bottom.
    ExpectFrame(l.SwatchFrame, 264, 247, 129, 66);
    ExpectFrame(l.SwatchControl, 266, 249, 125, 62);
    ExpectFrame(l.SampleFrame, 15, 42, 132, 230);
    ExpectFrame(l.SampleControl, 17, 44, 128, 226);
    const PixelSize sample = SampleDrawSize(l.SampleFrame);
    EXPECT_EQ(sample.W, 122);
    EXPECT_EQ(sample.H, 220);
    const PixelSize swatch = SwatchDrawSize(l.SwatchFrame);
    EXPECT_EQ(swatch.W, 119);
    EXPECT_EQ(swatch.H, 56);
}

TEST(ColorPageLayout, DivisionsTruncate) {
    ColorPageLayoutInput in = SampleInput();
    in.BrightScroll.Right = in.BrightScroll.Left + 11;  // 110 / 12 = 9
    in.BalanceGroup.Bottom = 325;                       // (325 + 236 - 66) / 2 = 247.5
    const ColorPageLayout l = ComputeColorPageLayout(in);
    EXPECT_EQ(l.Bar.W, 10);
    EXPECT_EQ(l.SwatchFrame.Y, 247);
    EXPECT_EQ(l.SwatchFrame.W, 14);
}

TEST(ColorPageLayout, SampleFrameIgnoresTheLabelsHorizontalPlace) {
    ColorPageLayoutInput in = SampleInput();
    in.SampleLabel.Left = 400;
    in.BaseColorLabel.Left = 3;
    const ColorPageLayout l = ComputeColorPageLayout(in);
    EXPECT_EQ(l.SampleFrame.X, 15);
    EXPECT_EQ(l.SampleFrame.W, 132);
}

TEST(DensityPageLayout, BarIsSevenEighthsOfTheScrollbar) {
    const PixelSize s = DensityBarSize({141, 63, 360, 75});  // 219 x 12
    EXPECT_EQ(s.W, 191);
    EXPECT_EQ(s.H, 14);
}

TEST(AdjustLists, BaseColorCodesAndPositions) {
    const int32_t codes[] = {3, 1, 2, 4};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(BaseColorIndexOf(codes[i]), i);
        EXPECT_EQ(BaseColorCodeAt(i), codes[i]);
    }
    for (int32_t unknown : {0, -1, 5, 1000, INT32_MIN}) EXPECT_EQ(BaseColorIndexOf(unknown), 4) << unknown;
    EXPECT_EQ(BaseColorCodeAt(-1), -1);
    EXPECT_EQ(BaseColorCodeAt(4), -1);
}

TEST(AdjustLists, SampleFilesByPosition) {
    EXPECT_STREQ(SampleFileName(0), "QV3810A1.BMP");
    EXPECT_STREQ(SampleFileName(3), "QV3810A4.BMP");
    EXPECT_EQ(SampleFileName(-1), nullptr);
    EXPECT_EQ(SampleFileName(4), nullptr);
}

const DensityControlRule& RuleOf(int control) {
    for (size_t i = 0; i < DensityControlRuleCount; ++i)
        if (DensityControlRules[i].Control == control) return DensityControlRules[i];
    ADD_FAILURE() << "no rule for " << control;
    return DensityControlRules[0];
}

TEST(DensityRules, SwitchEnablesEveryRowAndScale) {
    EXPECT_EQ(DensityControlRuleCount, 17u);
    for (size_t i = 0; i < DensityControlRuleCount; ++i) {
        EXPECT_TRUE(DensityControlEnabled(DensityControlRules[i], 1, 0));
        EXPECT_TRUE(DensityControlEnabled(DensityControlRules[i], -7, 4));  // any nonzero switch is on
        EXPECT_FALSE(DensityControlEnabled(DensityControlRules[i], 0, 0));
    }
}

TEST(DensityRules, MonochromeKeepsOnlyBlackAndTheScale) {
    for (int c : {IDC_DEN_CYAN_LABEL, IDC_DEN_MAGENTA_LABEL, IDC_DEN_YELLOW_LABEL, IDC_DEN_CYAN_VALUE,
                  IDC_DEN_MAGENTA_VALUE, IDC_DEN_YELLOW_VALUE, IDC_DEN_CYAN_BAR, IDC_DEN_MAGENTA_BAR,
                  IDC_DEN_YELLOW_BAR})
        EXPECT_FALSE(DensityControlEnabled(RuleOf(c), 1, 3)) << c;
    for (int c : {IDC_DEN_BLACK_LABEL, IDC_DEN_BLACK_VALUE, IDC_DEN_BLACK_BAR, IDC_DEN_SCALE_MIN, IDC_DEN_PALE})
        EXPECT_TRUE(DensityControlEnabled(RuleOf(c), 1, 3)) << c;
}


// A bitmap file's headers: 40-byte info header, `colors` table entries.
std::vector<uint8_t> BitmapHead(int32_t width, int32_t height, uint16_t bits, uint32_t compression = 0,
                                uint32_t imageSize = 0, uint32_t colors = 0) {
    std::vector<uint8_t> h(54, 0);
    auto put16 = [&](size_t at, uint32_t v) { h[at] = v & 0xFF; h[at + 1] = (v >> 8) & 0xFF; };
    auto put32 = [&](size_t at, uint32_t v) { put16(at, v & 0xFFFF); put16(at + 2, v >> 16); };
    h[0] = 'B';
    h[1] = 'M';
    const uint32_t table = (bits <= 8 ? (colors ? colors : 1u << bits) : 0) * 4 + (compression == 3 ? 12 : 0);
    put32(10, 54 + table);
    put32(14, 40);
    put32(18, static_cast<uint32_t>(width));
    put32(22, static_cast<uint32_t>(height));
    put16(26, 1);
    put16(28, bits);
    put32(30, compression);
    put32(34, imageSize);
    put32(46, colors);
    return h;
}

uint64_t DataStart(const std::vector<uint8_t>& h) { return h[10] | h[11] << 8 | h[12] << 16; }

TEST(SampleFiles, CompleteFilesOfEveryDepthPass) {
    // 24 bits, 40 x 30: rows of 120 bytes.
    auto h = BitmapHead(40, 30, 24);
    EXPECT_TRUE(IsCompleteBitmapFile(h.data(), h.size(), 54 + 120 * 30));
    EXPECT_TRUE(IsCompleteBitmapFile(h.data(), h.size(), 54 + 120 * 30 + 7));  // trailing bytes are fine
    auto topDown = BitmapHead(40, -30, 24);
    EXPECT_TRUE(IsCompleteBitmapFile(topDown.data(), topDown.size(), 54 + 120 * 30));
    // 1 bit, 17 wide: rows padded to 4 bytes, two table entries.
    auto mono = BitmapHead(17, 9, 1);
    EXPECT_TRUE(IsCompleteBitmapFile(mono.data(), mono.size(), DataStart(mono) + 4 * 9));
    auto rle = BitmapHead(17, 9, 8, 1, 38);
    EXPECT_TRUE(IsCompleteBitmapFile(rle.data(), rle.size(), DataStart(rle) + 38));
    auto fields = BitmapHead(5, 5, 16, 3);
    EXPECT_TRUE(IsCompleteBitmapFile(fields.data(), fields.size(), 54 + 12 + 12 * 5));
}

TEST(SampleFiles, TruncatedOrForeignFilesFail) {
    auto h = BitmapHead(40, 30, 24);
    EXPECT_FALSE(IsCompleteBitmapFile(h.data(), h.size(), 54 + 120 * 30 - 1));
    EXPECT_FALSE(IsCompleteBitmapFile(h.data(), 20, 20));  // only the start of the headers
    const uint8_t text[] = "not a bitmap at all, just some text";
    EXPECT_FALSE(IsCompleteBitmapFile(text, sizeof text, sizeof text));
    EXPECT_FALSE(IsCompleteBitmapFile(nullptr, 0, 0));
    auto rle = BitmapHead(17, 9, 8, 1, 38);
    EXPECT_FALSE(IsCompleteBitmapFile(rle.data(), rle.size(), DataStart(rle) + 37));
    auto rleNoSize = BitmapHead(17, 9, 8, 1, 0);
    EXPECT_FALSE(IsCompleteBitmapFile(rleNoSize.data(), rleNoSize.size(), 1 << 20));
}

TEST(SampleFiles, ImpossibleHeadersFail) {
    for (auto h : {BitmapHead(0, 30, 24), BitmapHead(-4, 30, 24), BitmapHead(40, 0, 24), BitmapHead(40, 30, 12),
                   BitmapHead(40, 30, 24, 4), BitmapHead(40, 30, 8, 2, 100), BitmapHead(4, 4, 8, 0, 0, 300),
                   BitmapHead(0x7FFFFFFF, 0x7FFFFFFF, 32)})
        EXPECT_FALSE(IsCompleteBitmapFile(h.data(), h.size(), uint64_t(1) << 40));
    auto offsetPastEnd = BitmapHead(2, 2, 24);
    offsetPastEnd[10] = 0xFF;
    offsetPastEnd[11] = 0xFF;
    EXPECT_FALSE(IsCompleteBitmapFile(offsetPastEnd.data(), offsetPastEnd.size(), 1000));
}

}  // namespace
