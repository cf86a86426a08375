// A bitmap file's headers as the fuzzers read them, apart from the checks
// under test: what the headers claim, and where that puts the pixel data.
#pragma once

#include <cstddef>
#include <cstdint>

struct BmpModel {
    uint32_t BitsOffset = 0;
    uint32_t InfoBytes = 0;
    int64_t Width = 0;
    int64_t Height = 0;  // negative: rows top down
    uint32_t Planes = 0;
    uint32_t Bits = 0;
    uint32_t Compression = 0;
    uint32_t ImageBytes = 0;
    uint32_t ColorsUsed = 0;

    bool Core() const { return InfoBytes == 12; }
    bool Rle() const { return Compression == 1 || Compression == 2; }
    uint64_t AbsHeight() const { return Height < 0 ? static_cast<uint64_t>(-Height) : static_cast<uint64_t>(Height); }
    // Bytes of a row: whole bytes, padded to four.
    uint64_t RowBytes() const {
        const uint64_t bytes = (static_cast<uint64_t>(Width) * Bits + 7) / 8;
        return (bytes + 3) & ~uint64_t{3};
    }
    uint64_t PlainPixelBytes() const { return RowBytes() * AbsHeight(); }
    // The end of the headers, the color table and the masks that follow a
    // 40-byte header with bit fields.
    uint64_t TableEnd() const {
        uint64_t colors = ColorsUsed;
        if (Bits <= 8 && colors == 0) colors = uint64_t{1} << Bits;
        uint64_t end = 14 + uint64_t{InfoBytes} + colors * (Core() ? 3 : 4);
        if (Compression == 3 && InfoBytes == 40) end += 12;
        return end;
    }
};

inline uint32_t Le(const uint8_t* p, int bytes) {
    uint32_t v = 0;
    for (int i = bytes - 1; i >= 0; --i) v = v << 8 | p[i];
    return v;
}

// False when the bytes are too few for "BM" and the header its size names
// (the fields up to the used colors of a longer one).
inline bool ReadBmpModel(const uint8_t* d, size_t size, BmpModel& m) {
    if (size < 18 || d[0] != 'B' || d[1] != 'M') return false;
    m = BmpModel();
    m.BitsOffset = Le(d + 10, 4);
    m.InfoBytes = Le(d + 14, 4);
    if (m.InfoBytes == 12) {
        if (size < 26) return false;
        m.Width = Le(d + 18, 2);
        m.Height = Le(d + 20, 2);
        m.Planes = Le(d + 22, 2);
        m.Bits = Le(d + 24, 2);
        return true;
    }
    if (m.InfoBytes < 40 || size < 54) return false;
    m.Width = static_cast<int32_t>(Le(d + 18, 4));
    m.Height = static_cast<int32_t>(Le(d + 22, 4));
    m.Planes = Le(d + 26, 2);
    m.Bits = Le(d + 28, 2);
    m.Compression = Le(d + 30, 4);
    m.ImageBytes = Le(d + 34, 4);
    m.ColorsUsed = Le(d + 46, 4);
    return true;
}
