// The custom size conversions on any text, double and record: positions stay
// within 0..MaxPosition, clamps within their bounds, texts within their
// buffers, and a normalised record within the limits of its unit.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "ui/main/custom_size.h"

namespace {
template <typename T>
T Take(const uint8_t*& data, size_t& size) {
    T value = {};
    const size_t n = size < sizeof value ? size : sizeof value;
    memcpy(&value, data, n);
    data += n;
    size -= n;
    return value;
}
template <size_t N>
void CheckTerminated(const char (&text)[N]) {
    if (!memchr(text, 0, N)) abort();
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const uint8_t flags = Take<uint8_t>(data, size);
    const bool inches = flags & 1;
    const double mm = Take<double>(data, size);
    const int32_t lo = Take<int32_t>(data, size);
    const int32_t hi = Take<int32_t>(data, size);
    const int32_t unit = Take<int32_t>(data, size);
    const double width = Take<double>(data, size);
    const double length = Take<double>(data, size);

    std::vector<char> text(data, data + size);
    text.push_back('\0');
    const int32_t position = TextToPosition(text.data(), inches);
    if (position < 0 || position > MaxPosition) abort();

    if (lo <= hi) {
        const int32_t c = CutAndClamp(mm, lo, hi);
        if (c < lo || c > hi) abort();
    }
    const int32_t fromMm = MmToPosition(mm, inches);
    (void)fromMm;
    const double back = PositionToMm(position, inches);
    if (!std::isfinite(back)) abort();

    char shown[32];
    FormatSize(mm, inches, shown);
    CheckTerminated(shown);
    char range[48];
    FormatRange(LimitsFor(inches).Width, inches, range);
    CheckTerminated(range);

    const double stored = StoredToMm(width, unit, flags & 2);
    if (!std::isfinite(stored)) abort();

    // Split the text in two at its middle for the direction test.
    const size_t half = size / 2;
    std::vector<char> first(text.begin(), text.begin() + half);
    first.push_back('\0');
    (void)IsPortraitSheet(first.data(), text.data() + half);

    PrintSettings settings = {};
    settings.CustomUnit = unit;
    settings.CustomWidth = width;
    settings.CustomLength = length;
    char list[32];
    NormaliseCustomSize(settings, list);
    CheckTerminated(list);
    if (!std::isfinite(settings.CustomWidth) || !std::isfinite(settings.CustomLength)) abort();

    StoreCustomSize(settings, inches, stored, back);
    if (!std::isfinite(settings.CustomWidth) || !std::isfinite(settings.CustomLength)) abort();
    return 0;
}
