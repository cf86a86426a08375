#include "ui/option/stamp_bitmap_file.h"

#include "ui/common/bitmap_headers.h"

bool CheckStampBitmap(const uint8_t* data, size_t size, StampBitmapLayout* layout) {
    BitmapHeaders h;
    if (size > MaxStampFileBytes || !ReadBitmapHeaders(data, size, &h)) return false;
    if (h.InfoBytes > size - BitmapFileHeaderBytes) return false;
    if (h.Width > MaxStampSide || h.Height > MaxStampSide || h.Width * h.Height > MaxStampPixels) return false;

    bool rle = false;
    switch (h.Compression) {
    case BitmapPlain: break;
    case BitmapRle8: rle = h.Bits == 8; if (!rle) return false; break;
    case BitmapRle4: rle = h.Bits == 4; if (!rle) return false; break;
    case BitmapBitFields: if (h.Bits != 16 && h.Bits != 32) return false; break;
    default: return false;
    }
    if (rle && h.TopDown) return false;

    // The color table (and the masks of a 40-byte header with bit fields)
    // must lie before the pixel data.
    if (h.Bits > 8 && h.Colors > 256) return false;
    const uint32_t bitsOffset = h.BitsOffset;
    if (bitsOffset < h.TableEnd || bitsOffset >= size) return false;

    const uint64_t available = size - bitsOffset;
    if (!rle) {
        const uint64_t stride = ((static_cast<uint64_t>(h.Width) * h.Bits + 31) / 32) * 4;
        if (stride * static_cast<uint64_t>(h.Height) > available) return false;
    }

    if (layout) {
        layout->Width = static_cast<int>(h.Width);
        layout->Height = static_cast<int>(h.Height);
        layout->TopDown = h.TopDown;
        layout->InfoOffset = BitmapFileHeaderBytes;
        layout->BitsOffset = bitsOffset;
        layout->BitsBytes = static_cast<size_t>(available);
        layout->Compression = h.Compression;
    }
    return true;
}
