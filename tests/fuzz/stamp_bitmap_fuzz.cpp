// A registered stamp's bitmap file: an accepted file's layout agrees with
// its headers, stays within the stamp limits, and puts the headers, the
// color table and every pixel row the drawing reads inside the file. The
// pixels themselves (run-length ones too) are decoded by the window system,
// up to the byte count the dialog stores in the header.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "tests/fuzz/bmp_model.h"
#include "ui/option/stamp_bitmap_file.h"

namespace {

void Check(bool ok) {
    if (!ok) abort();
}

bool SameLayout(const StampBitmapLayout& a, const StampBitmapLayout& b) {
    return a.Width == b.Width && a.Height == b.Height && a.TopDown == b.TopDown && a.InfoOffset == b.InfoOffset &&
           a.BitsOffset == b.BitsOffset && a.BitsBytes == b.BitsBytes && a.Compression == b.Compression;
}

void CheckAccepted(const std::vector<uint8_t>& file, const StampBitmapLayout& layout) {
    const size_t size = file.size();
    BmpModel m;
    Check(ReadBmpModel(file.data(), size, m));
    Check(size <= MaxStampFileBytes);

    Check(layout.Width == m.Width && static_cast<uint64_t>(layout.Height) == m.AbsHeight());
    Check(layout.TopDown == (m.Height < 0));
    Check(layout.Width >= 1 && layout.Height >= 1 && layout.Width <= MaxStampSide && layout.Height <= MaxStampSide);
    Check(int64_t{layout.Width} * layout.Height <= MaxStampPixels);
    Check(m.Planes == 1);

    Check(layout.Compression == m.Compression);
    switch (m.Compression) {
    case 0: Check(m.Bits == 1 || m.Bits == 4 || m.Bits == 8 || m.Bits == 16 || m.Bits == 24 || m.Bits == 32); break;
    case 1: Check(m.Bits == 8 && !layout.TopDown); break;
    case 2: Check(m.Bits == 4 && !layout.TopDown); break;
    case 3: Check(m.Bits == 16 || m.Bits == 32); break;
    default: Check(false);
    }
    if (m.Bits <= 8) Check(m.ColorsUsed <= (1u << m.Bits));

    // Headers and colors, then the pixel data up to the file's end.
    Check(layout.InfoOffset == 14 && layout.InfoOffset + m.InfoBytes <= size);
    Check(m.TableEnd() <= layout.BitsOffset);
    Check(layout.BitsOffset < size && layout.BitsOffset + layout.BitsBytes == size);
    if (!m.Rle()) Check(m.PlainPixelBytes() <= layout.BitsBytes);

    // The dialog stores the run-length data's byte count in a full header,
    // which must not reach into the pixels it describes.
    if (m.Rle() && m.InfoBytes >= 40) Check(layout.InfoOffset + 24 <= layout.BitsOffset);

    // One byte fewer than the rows need, or no pixel data at all, is refused;
    // trailing bytes are not.
    const size_t needed = m.Rle() ? 1 : static_cast<size_t>(m.PlainPixelBytes());
    Check(!CheckStampBitmap(file.data(), layout.BitsOffset + needed - 1, nullptr));
    if (size < MaxStampFileBytes) {
        std::vector<uint8_t> longer = file;
        longer.push_back(0);
        StampBitmapLayout again;
        Check(CheckStampBitmap(longer.data(), longer.size(), &again));
        StampBitmapLayout expected = layout;
        expected.BitsBytes += 1;
        Check(SameLayout(again, expected));
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // Exactly the file's bytes, so that a read past them is caught.
    const std::vector<uint8_t> file(data, data + size);
    StampBitmapLayout layout;
    memset(&layout, 0xA5, sizeof layout);
    const bool accepted = CheckStampBitmap(file.data(), file.size(), &layout);
    Check(accepted == CheckStampBitmap(file.data(), file.size(), nullptr));
    if (accepted) CheckAccepted(file, layout);
    Check(!CheckStampBitmap(nullptr, size, nullptr));
    return 0;
}
