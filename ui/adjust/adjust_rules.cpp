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
    if (rule.ColorInk && colorMode == MonochromeColorMode) return false;
    return gannma != 0;
}

namespace {

uint32_t ReadU16(const uint8_t* p) { return static_cast<uint32_t>(p[0] | p[1] << 8); }
uint32_t ReadU32(const uint8_t* p) { return ReadU16(p) | ReadU16(p + 2) << 16; }

}  // namespace

bool IsCompleteBitmapFile(const uint8_t* head, size_t headBytes, uint64_t fileSize) {
    constexpr size_t FileHeader = 14;
    if (!head || headBytes < FileHeader + 12 || head[0] != 'B' || head[1] != 'M') return false;
    const uint64_t dataOffset = ReadU32(head + 10);
    const uint8_t* info = head + FileHeader;
    const uint32_t infoSize = ReadU32(info);

    uint64_t width, height;
    uint32_t planes, bits, compression = 0, imageSize = 0, colorsUsed = 0;
    if (infoSize == 12) {
        width = ReadU16(info + 4);
        height = ReadU16(info + 6);
        planes = ReadU16(info + 8);
        bits = ReadU16(info + 10);
    } else if (infoSize >= 40 && infoSize <= 124 && headBytes >= FileHeader + 40) {
        const int32_t w = static_cast<int32_t>(ReadU32(info + 4));
        const int32_t h = static_cast<int32_t>(ReadU32(info + 8));
        if (w <= 0 || h == 0 || h == INT32_MIN) return false;
        width = static_cast<uint64_t>(w);
        height = static_cast<uint64_t>(h < 0 ? -static_cast<int64_t>(h) : h);
        planes = ReadU16(info + 12);
        bits = ReadU16(info + 14);
        compression = ReadU32(info + 16);
        imageSize = ReadU32(info + 20);
        colorsUsed = ReadU32(info + 32);
    } else {
        return false;
    }
    // Beyond 65536 pixels a side no sample picture is meant; it also keeps the sizes below from overflowing.
    if (width == 0 || height == 0 || width > 65536 || height > 65536 || planes != 1) return false;
    if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32) return false;

    const uint64_t entryBytes = infoSize == 12 ? 3 : 4;
    uint64_t colors = bits <= 8 ? (colorsUsed ? colorsUsed : 1u << bits) : colorsUsed;
    if (bits <= 8 && colors > (1u << bits)) return false;
    uint64_t tableEnd = FileHeader + infoSize + colors * entryBytes;

    uint64_t pixelBytes;
    const uint64_t stride = (width * bits + 31) / 32 * 4;
    switch (compression) {
    case 0:  // uncompressed
        pixelBytes = stride * height;
        break;
    case 3:  // bit fields: three masks follow a 40-byte header
        if (bits != 16 && bits != 32) return false;
        if (infoSize == 40) tableEnd += 12;
        pixelBytes = stride * height;
        break;
    case 1:  // run-length, 8 bits
    case 2:  // run-length, 4 bits
        if (bits != (compression == 1 ? 8u : 4u) || imageSize == 0) return false;
        pixelBytes = imageSize;
        break;
    default:
        return false;
    }
    return dataOffset >= tableEnd && dataOffset <= fileSize && pixelBytes <= fileSize - dataOffset;
}
