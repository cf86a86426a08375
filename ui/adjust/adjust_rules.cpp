#include "ui/adjust/adjust_rules.h"

#include "ui/adjust/adjust_resource.h"
#include "ui/common/bitmap_headers.h"

ColorPageLayout ComputeColorPageLayout(const ColorPageLayoutInput& in) {
    ColorPageLayout out{};
    const int32_t scrollWidth = in.BrightScroll.Right - in.BrightScroll.Left;
    const int32_t scrollHeight = in.BrightScroll.Bottom - in.BrightScroll.Top;
    out.Bar.W = scrollWidth * 10 / 12 + 1;
    out.Bar.H = scrollHeight + 2;

    // The bars keep their place, so bar 2093's bottom is its top plus the new height.
    const int32_t stripLeft = in.YellowStrip.Left;
    const int32_t stripBottom = in.YellowStrip.Top + out.Bar.H;
    PixelFrame& swatch = out.SwatchFrame;
    swatch.X = stripLeft - 2;
    swatch.W = out.Bar.W + 4;
    swatch.H = SwatchFrameHeight;
    swatch.Y = (in.BalanceGroup.Bottom + stripBottom - SwatchFrameHeight) / 2;
    out.SwatchControl = {swatch.X + 2, swatch.Y + 2, swatch.W - 4, SwatchFrameHeight - 4};

    PixelFrame& sample = out.SampleFrame;
    sample.X = 15;
    sample.Y = in.SampleLabel.Bottom + 15;
    sample.W = in.BalanceGroup.Left - 30;
    sample.H = in.BaseColorLabel.Top - in.SampleLabel.Bottom - 30;
    out.SampleControl = {sample.X + 2, sample.Y + 2, sample.W - 4, sample.H - 4};
    return out;
}

PixelSize SampleDrawSize(const PixelFrame& sampleFrame) {
    return {sampleFrame.W - 10, sampleFrame.H - 10};
}

PixelSize SwatchDrawSize(const PixelFrame& swatchFrame) {
    return {swatchFrame.W - 10, SwatchDrawHeight};
}

PixelSize DensityBarSize(const PixelRect& blackScroll) {
    return {(blackScroll.Right - blackScroll.Left) * 7 / 8, blackScroll.Bottom - blackScroll.Top + 2};
}

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
    if (rule.ColorInk && colorMode == ColorModeMonochrome) return false;
    return gannma != 0;
}

bool IsCompleteBitmapFile(const uint8_t* head, size_t headBytes, uint64_t fileSize) {
    BitmapHeaders h;
    if (!ReadBitmapHeaders(head, headBytes, &h)) return false;
    // Beyond 65536 pixels a side no sample picture is meant; it also keeps the sizes below from overflowing.
    if (h.Width > 65536 || h.Height > 65536) return false;

    uint64_t pixelBytes;
    const uint64_t stride = (static_cast<uint64_t>(h.Width) * h.Bits + 31) / 32 * 4;
    switch (h.Compression) {
    case BitmapPlain:
        pixelBytes = stride * static_cast<uint64_t>(h.Height);
        break;
    case BitmapBitFields:
        if (h.Bits != 16 && h.Bits != 32) return false;
        pixelBytes = stride * static_cast<uint64_t>(h.Height);
        break;
    case BitmapRle8:
    case BitmapRle4:
        if (h.Bits != (h.Compression == BitmapRle8 ? 8u : 4u) || h.ImageSize == 0) return false;
        pixelBytes = h.ImageSize;
        break;
    default:
        return false;
    }
    const uint64_t dataOffset = h.BitsOffset;
    return dataOffset >= h.TableEnd && dataOffset <= fileSize && pixelBytes <= fileSize - dataOffset;
}
