// The check before a sample picture is loaded: it accepts a head only when
// the file of the given size holds the headers, the color table and the
// pixel data the head describes. Half the inputs are whole files, read as
// the preview reads them (at most the first 138 bytes), and then a stamp
// accepted with uncompressed pixels must pass this check too.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "tests/fuzz/bmp_model.h"
#include "ui/adjust/adjust_rules.h"
#include "ui/option/stamp_bitmap_file.h"

namespace {

void Check(bool ok) {
    if (!ok) abort();
}

void CheckAccepted(const std::vector<uint8_t>& head, uint64_t fileSize) {
    BmpModel m;
    Check(ReadBmpModel(head.data(), head.size(), m));
    Check(m.Width >= 1 && m.Height != 0 && m.Planes == 1);
    Check(m.Bits == 1 || m.Bits == 4 || m.Bits == 8 || m.Bits == 16 || m.Bits == 24 || m.Bits == 32);
    if (m.Bits <= 8) Check(m.ColorsUsed <= (1u << m.Bits));
    uint64_t pixels = m.PlainPixelBytes();
    switch (m.Compression) {
    case 0: break;
    case 1: Check(m.Bits == 8 && m.ImageBytes > 0); pixels = m.ImageBytes; break;
    case 2: Check(m.Bits == 4 && m.ImageBytes > 0); pixels = m.ImageBytes; break;
    case 3: Check(m.Bits == 16 || m.Bits == 32); break;
    default: Check(false);
    }
    Check(m.TableEnd() <= m.BitsOffset && m.BitsOffset <= fileSize && pixels <= fileSize - m.BitsOffset);

    // The file one byte short of the pixel data is refused, a longer one not.
    Check(!IsCompleteBitmapFile(head.data(), head.size(), m.BitsOffset + pixels - 1));
    if (fileSize < UINT64_MAX) Check(IsCompleteBitmapFile(head.data(), head.size(), fileSize + 1));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider in(data, size);
    const bool wholeFile = in.ConsumeBool();
    uint64_t fileSize = in.ConsumeIntegral<uint64_t>();
    const std::vector<uint8_t> bytes = in.ConsumeRemainingBytes<uint8_t>();

    // The head as its own block of exactly its size, so that a read past it is caught.
    std::vector<uint8_t> head = bytes;
    if (wholeFile) {
        fileSize = bytes.size();
        head.resize(std::min(bytes.size(), BitmapHeadBytes));
    }
    const bool accepted = IsCompleteBitmapFile(head.data(), head.size(), fileSize);
    if (accepted) CheckAccepted(head, fileSize);

    if (wholeFile) {
        StampBitmapLayout layout;
        if (CheckStampBitmap(bytes.data(), bytes.size(), &layout) && (layout.Compression == 0 || layout.Compression == 3))
            Check(accepted);
    }
    Check(!IsCompleteBitmapFile(nullptr, 0, fileSize));
    return 0;
}
