#include "ui/option/stamp_bitmap_file.h"

#include <initializer_list>

namespace {

constexpr size_t FileHeaderBytes = 14;
constexpr uint32_t PlainBits = 0, Rle8 = 1, Rle4 = 2, BitFields = 3;

uint32_t U32(const uint8_t* p) { return p[0] | p[1] << 8 | p[2] << 16 | static_cast<uint32_t>(p[3]) << 24; }
uint16_t U16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }

bool KnownDepth(int bits) {
    for (int d : {1, 4, 8, 16, 24, 32})
        if (bits == d) return true;
    return false;
}

}  // namespace

bool CheckStampBitmap(const uint8_t* data, size_t size, StampBitmapLayout* layout) {
    if (!data || size < FileHeaderBytes + 12 || size > MaxStampFileBytes) return false;
    if (data[0] != 'B' || data[1] != 'M') return false;
    const uint32_t bitsOffset = U32(data + 10);
    const uint8_t* info = data + FileHeaderBytes;
    const uint32_t infoBytes = U32(info);

    int64_t width, height;
    int bitCount, planes;
    uint32_t compression = PlainBits, colorsUsed = 0;
    size_t colorEntryBytes = 4;
    if (infoBytes > size - FileHeaderBytes) return false;
    if (infoBytes == 12) {  // the old core header: 16-bit sizes, 3-byte colors
        width = U16(info + 4);
        height = U16(info + 6);
        planes = U16(info + 8);
        bitCount = U16(info + 10);
        colorEntryBytes = 3;
    } else if (infoBytes >= 40 && infoBytes <= 124) {
        width = static_cast<int32_t>(U32(info + 4));
        height = static_cast<int32_t>(U32(info + 8));
        planes = U16(info + 12);
        bitCount = U16(info + 14);
        compression = U32(info + 16);
        colorsUsed = U32(info + 32);
    } else {
        return false;
    }

    const bool topDown = height < 0;
    if (topDown) height = -height;
    if (planes != 1 || !KnownDepth(bitCount)) return false;
    if (width <= 0 || height <= 0 || width > MaxStampSide || height > MaxStampSide) return false;
    if (width * height > MaxStampPixels) return false;

    bool rle = false;
    switch (compression) {
    case PlainBits: break;
    case Rle8: rle = bitCount == 8; if (!rle) return false; break;
    case Rle4: rle = bitCount == 4; if (!rle) return false; break;
    case BitFields: if (bitCount != 16 && bitCount != 32) return false; break;
    default: return false;
    }
    if (rle && topDown) return false;

    // The color table (and the masks of a 40-byte header with bit fields)
    // must lie before the pixel data.
    const uint64_t maxColors = bitCount <= 8 ? (uint64_t{1} << bitCount) : 0;
    uint64_t colors = colorsUsed ? colorsUsed : maxColors;
    if (bitCount <= 8 && colors > maxColors) return false;
    if (bitCount > 8 && colors > 256) return false;
    uint64_t tableEnd = FileHeaderBytes + infoBytes + colors * colorEntryBytes;
    if (compression == BitFields && infoBytes == 40) tableEnd += 12;
    if (bitsOffset < tableEnd || bitsOffset >= size) return false;

    const uint64_t available = size - bitsOffset;
    if (!rle) {
        const uint64_t stride = ((static_cast<uint64_t>(width) * bitCount + 31) / 32) * 4;
        if (stride * static_cast<uint64_t>(height) > available) return false;
    }

    if (layout) {
        layout->Width = static_cast<int>(width);
        layout->Height = static_cast<int>(height);
        layout->TopDown = topDown;
        layout->InfoOffset = FileHeaderBytes;
        layout->BitsOffset = bitsOffset;
        layout->BitsBytes = static_cast<size_t>(available);
        layout->Compression = compression;
    }
    return true;
}
