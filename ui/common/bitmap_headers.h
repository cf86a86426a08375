// The two headers that open a bitmap file (.bmp or .rle), read without
// trusting them: the user's stamps and sample pictures are files of the
// user's. Portable.
#pragma once

#include <cstddef>
#include <cstdint>

constexpr size_t BitmapFileHeaderBytes = 14;
enum : uint32_t { BitmapPlain = 0, BitmapRle8 = 1, BitmapRle4 = 2, BitmapBitFields = 3 };

struct BitmapHeaders {
    uint32_t BitsOffset;   // where the file header says the pixels start
    uint32_t InfoBytes;    // 12 (the old core header) or 40..124
    int64_t Width;         // at least 1
    int64_t Height;        // absolute, at least 1; TopDown tells the row order
    bool TopDown;
    uint32_t Bits;         // 1, 4, 8, 16, 24 or 32
    uint32_t Compression;  // as stored; the core header has none
    uint32_t ImageSize;    // as stored, 0 for the core header
    uint64_t Colors;       // entries of the color table
    uint64_t TableEnd;     // offset just past the color table (and the bit-field masks)
};

// True when the first `bytes` bytes of a file start with "BM" and an info
// header of a known size whose fields read here lie within them, with
// nonzero sizes, one plane, a known depth and no more colors than the depth
// has. The rest of a longer info header is not read.
bool ReadBitmapHeaders(const uint8_t* data, size_t bytes, BitmapHeaders* headers);
