#include "ui/adjust/adjust_rules.h"

#include "ui/adjust/adjust_resource.h"

ColorPageLayout ComputeColorPageLayout(const ColorPageLayoutInput& in) {
    ColorPageLayout out{};
    const int32_t scrollWidth = in.BrightScroll.Right - in.BrightScroll.Left;
    const int32_t scrollHeight = in.BrightScroll.Bottom - in.BrightScroll.Top;
    out.Bar.W = scrollWidth * 10 / 12 + 1;
    out.Bar.H = scrollHeight + 2;

    // The bars keep their place, so bar 2093's bottom is its top plus the new height.
    const int32_t stripLeft = in.YellowStrip.Left;
    const int32_t stripBottom = in.YellowStrip.Top + out.Bar.H;
    FrameRect& swatch = out.SwatchFrame;
    swatch.X = stripLeft - 2;
    swatch.W = out.Bar.W + 4;
    swatch.H = SwatchFrameHeight;
    swatch.Y = (in.BalanceGroup.Bottom + stripBottom - SwatchFrameHeight) / 2;
    out.SwatchControl = {swatch.X + 2, swatch.Y + 2, swatch.W - 4, SwatchFrameHeight - 4};

    FrameRect& sample = out.SampleFrame;
    sample.X = 15;
    sample.Y = in.SampleLabel.Bottom + 15;
    sample.W = in.BalanceGroup.Left - 30;
    sample.H = in.BaseColorLabel.Top - in.SampleLabel.Bottom - 30;
    out.SampleControl = {sample.X + 2, sample.Y + 2, sample.W - 4, sample.H - 4};
    return out;
}

PixelSize SampleDrawSize(const FrameRect& sampleFrame) {
    return {sampleFrame.W - 10, sampleFrame.H - 10};
}

PixelSize SwatchDrawSize(const FrameRect& swatchFrame) {
    return {swatchFrame.W - 10, SwatchDrawHeight};
}

PixelSize DensityBarSize(const PixelRect& blackScroll) {
    return {(blackScroll.Right - blackScroll.Left) * 7 / 8, blackScroll.Bottom - blackScroll.Top + 2};
}

const char SampleListTable[5][AdjustListEntryBytes] = {
    "人物", "風景", "ヨット", "フルーツ", {'\xFF', 0}};

const char BaseColorListTable[5][AdjustListEntryBytes] = {
    "写真", "ﾉｰﾏﾙ", "文書", "ｸﾞﾗﾌｨｯｸ", {'\xFF', 0}};

const int32_t BaseColorCodes[5] = {3, 1, 2, 4, -1};

int BaseColorIndexOf(int32_t baseColor) {
    int index = 0;
    while (BaseColorCodes[index] != -1 && BaseColorCodes[index] != baseColor) ++index;
    return index;
}

int32_t BaseColorCodeAt(int index) {
    return index >= 0 && index < 4 ? BaseColorCodes[index] : -1;
}

const char* SampleFileName(int index) {
    static const char* const files[4] = {"QV3810A1.BMP", "QV3810A2.BMP", "QV3810A3.BMP", "QV3810A4.BMP"};
    return index >= 0 && index < 4 ? files[index] : nullptr;
}

const DensityControlRule DensityControlRules[] = {
    {IDC_DEN_BLACK_LABEL, false},   {IDC_DEN_CYAN_LABEL, true},    {IDC_DEN_MAGENTA_LABEL, true},
    {IDC_DEN_YELLOW_LABEL, true},   {IDC_DEN_BLACK_VALUE, false},  {IDC_DEN_CYAN_VALUE, true},
    {IDC_DEN_MAGENTA_VALUE, true},  {IDC_DEN_YELLOW_VALUE, true},  {IDC_DEN_BLACK_BAR, false},
    {IDC_DEN_CYAN_BAR, true},       {IDC_DEN_MAGENTA_BAR, true},   {IDC_DEN_YELLOW_BAR, true},
    {IDC_DEN_SCALE_MIN, false},     {IDC_DEN_SCALE_MID, false},    {IDC_DEN_SCALE_MAX, false},
    {IDC_DEN_PALE, false},          {IDC_DEN_DEEP, false},
};
const size_t DensityControlRuleCount = sizeof DensityControlRules / sizeof DensityControlRules[0];

bool DensityControlEnabled(const DensityControlRule& rule, int32_t gannma, int32_t colorMode) {
    if (rule.ColorInk && colorMode == MonochromeColorMode) return false;
    return gannma != 0;
}

const uint32_t ColorPageHelpTable[] = {
    2151, 0x80154, 2004, 0x80154, 2071, 0x80154,
    2418, 0x80155, 2117, 0x80155,
    2153, 0x80156, 2031, 0x80156, 2039, 0x80156, 2095, 0x80156,
    2155, 0x80157, 2032, 0x80157, 2040, 0x80157, 2096, 0x80157,
    2157, 0x80158, 2033, 0x80158, 2042, 0x80158, 2098, 0x80158,
    2159, 0x80159, 2035, 0x80159, 2121, 0x80159, 2165, 0x80159, 2044, 0x80159, 2090, 0x80159,
    2036, 0x80159, 2123, 0x80159, 2167, 0x80159, 2045, 0x80159, 2091, 0x80159,
    2037, 0x80159, 2125, 0x80159, 2119, 0x80159, 2046, 0x80159, 2093, 0x80159,
    2118, 0,
    2014, 0x80134,
    0, 0};
const size_t ColorPageHelpWords = sizeof ColorPageHelpTable / sizeof ColorPageHelpTable[0];

const uint32_t DensityPageHelpTable[] = {
    2060, 0x80160,
    2119, 0x80161, 2034, 0x80161, 2047, 0x80161, 2056, 0x80161,
    2121, 0x80161, 2041, 0x80161, 2049, 0x80161, 2057, 0x80161,
    2123, 0x80161, 2043, 0x80161, 2050, 0x80161, 2058, 0x80161,
    2125, 0x80161, 2048, 0x80161, 2051, 0x80161, 2059, 0x80161,
    2014, 0x80134,
    0, 0};
const size_t DensityPageHelpWords = sizeof DensityPageHelpTable / sizeof DensityPageHelpTable[0];

int64_t HelpContextOf(const uint32_t* table, uint32_t control) {
    for (; table[0] != 0 || table[1] != 0; table += 2)
        if (table[0] == control) return table[1];
    return -1;
}
