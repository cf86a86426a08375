#include <gtest/gtest.h>

#include <cstring>

#include "ui/adjust/adjust_resource.h"
#include "ui/adjust/adjust_rules.h"

namespace {

void ExpectFrame(const FrameRect& r, int x, int y, int w, int h) {
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

TEST(AdjustLists, TextsAreShiftJisAndEndWithTheDefaultPosition) {
    EXPECT_EQ(0, std::memcmp(SampleListTable[0], "\x90\x6C\x95\xA8", 5));   // 人物
    EXPECT_EQ(0, std::memcmp(BaseColorListTable[1], "\xC9\xB0\xCF\xD9", 5));  // ﾉｰﾏﾙ, half-width
    EXPECT_EQ(static_cast<unsigned char>(SampleListTable[4][0]), 0xFF);
    EXPECT_EQ(SampleListTable[4][1], 0);
    EXPECT_EQ(static_cast<unsigned char>(BaseColorListTable[4][0]), 0xFF);
    EXPECT_EQ(BaseColorListTable[4][1], 0);
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

TEST(AdjustHelp, TablesCloseWithZerosAndShareContexts) {
    EXPECT_EQ(ColorPageHelpWords % 2, 0u);
    EXPECT_EQ(ColorPageHelpTable[ColorPageHelpWords - 2], 0u);
    EXPECT_EQ(ColorPageHelpTable[ColorPageHelpWords - 1], 0u);
    EXPECT_EQ(HelpContextOf(ColorPageHelpTable, 2071), 0x80154);
    EXPECT_EQ(HelpContextOf(ColorPageHelpTable, 2093), 0x80159);
    EXPECT_EQ(HelpContextOf(ColorPageHelpTable, 2118), 0);
    EXPECT_EQ(HelpContextOf(ColorPageHelpTable, 2014), 0x80134);
    EXPECT_EQ(HelpContextOf(ColorPageHelpTable, 2420), -1);
    EXPECT_EQ(HelpContextOf(DensityPageHelpTable, 2060), 0x80160);
    EXPECT_EQ(HelpContextOf(DensityPageHelpTable, 2059), 0x80161);
    EXPECT_EQ(HelpContextOf(DensityPageHelpTable, 2081), -1);
    EXPECT_EQ(DensityPageHelpWords, 2u * 19);
}

}  // namespace
