// Checks a registered stamp's bitmap file (".bmp" or ".rle") before anything
// is allocated for it: the file is the user's, so its header may lie.
// Portable: no window system here.
#pragma once

#include <cstddef>
#include <cstdint>

// Larger pictures are refused: the preview is a few hundred pixels across.
constexpr int MaxStampSide = 4096;
constexpr int64_t MaxStampPixels = int64_t{1} << 22;
constexpr size_t MaxStampFileBytes = size_t{64} << 20;

struct StampBitmapLayout {
    int Width;
    int Height;               // absolute; TopDown tells the row order
    bool TopDown;
    size_t InfoOffset;        // the info header and color table (after the 14-byte file header)
    size_t BitsOffset;        // the pixel data
    size_t BitsBytes;         // pixel data present in the file
    uint32_t Compression;     // 0 plain, 1 RLE8, 2 RLE4, 3 bit fields
};

// True when `data` (the whole file, `size` bytes) is a bitmap whose pixel
// data lies inside the file and whose size is within the limits above.
bool CheckStampBitmap(const uint8_t* data, size_t size, StampBitmapLayout* layout);
