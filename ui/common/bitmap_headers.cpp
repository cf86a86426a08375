#include "ui/common/bitmap_headers.h"

namespace {

uint32_t U16(const uint8_t* p) { return static_cast<uint32_t>(p[0] | p[1] << 8); }
uint32_t U32(const uint8_t* p) { return U16(p) | U16(p + 2) << 16; }

bool KnownDepth(uint32_t bits) {
    return bits == 1 || bits == 4 || bits == 8 || bits == 16 || bits == 24 || bits == 32;
}

}  // namespace

bool ReadBitmapHeaders(const uint8_t* data, size_t bytes, BitmapHeaders* headers) {
    if (!data || bytes < BitmapFileHeaderBytes + 12 || data[0] != 'B' || data[1] != 'M') return false;
    BitmapHeaders h = {};
    h.BitsOffset = U32(data + 10);
    const uint8_t* info = data + BitmapFileHeaderBytes;
    h.InfoBytes = U32(info);

    uint32_t planes, colorsUsed = 0;
    if (h.InfoBytes == 12) {  // the old core header: 16-bit sizes, 3-byte colors, never compressed
        h.Width = U16(info + 4);
        h.Height = U16(info + 6);
        planes = U16(info + 8);
        h.Bits = U16(info + 10);
    } else if (h.InfoBytes >= 40 && h.InfoBytes <= 124 && bytes >= BitmapFileHeaderBytes + 40) {
        h.Width = static_cast<int32_t>(U32(info + 4));
        h.Height = static_cast<int32_t>(U32(info + 8));
        planes = U16(info + 12);
        h.Bits = U16(info + 14);
        h.Compression = U32(info + 16);
        h.ImageSize = U32(info + 20);
        colorsUsed = U32(info + 32);
    } else {
        return false;
    }
    h.TopDown = h.Height < 0;
    if (h.TopDown) h.Height = -h.Height;
    if (h.Width <= 0 || h.Height == 0 || planes != 1 || !KnownDepth(h.Bits)) return false;

    const uint64_t depthColors = h.Bits <= 8 ? uint64_t{1} << h.Bits : 0;
    h.Colors = colorsUsed ? colorsUsed : depthColors;
    if (h.Bits <= 8 && h.Colors > depthColors) return false;
    h.TableEnd = BitmapFileHeaderBytes + h.InfoBytes + h.Colors * (h.InfoBytes == 12 ? 3 : 4);
    if (h.Compression == BitmapBitFields && h.InfoBytes == 40) h.TableEnd += 12;  // the three masks
    *headers = h;
    return true;
}
