#include "ui/main/custom_size.h"

#include <cstring>

#include "ui/common/format_text.h"
#include "ui/main/paper_tables.h"

namespace {
const SizeLimits MillimetreLimits = {{1980, 3302}, {1760, 4826}};
const SizeLimits InchLimits = {{780, 1300}, {693, 1900}};
}  // namespace

const SizeLimits& LimitsFor(bool inches) { return inches ? InchLimits : MillimetreLimits; }

int32_t CutAndClamp(double value, int32_t lo, int32_t hi) {
    if (!(value >= lo)) return lo;  // NaN too
    if (value >= hi) return hi;
    return static_cast<int32_t>(value);
}

namespace {
// The value as a double in memory: at 64-bit precision the x87 keeps more
// bits in its registers.
double AsDouble(double value) {
    volatile double stored = value;
    return stored;
}

// Steps of 1/scale from `value`, cut at the decimal that the stored double
// stands for: the largest n in lo..hi whose grid point (n + offset) / scale,
// as its nearest double, is at most `value` (lo for NaN and below). 256.2 is
// 2562 tenths although its double lies just below 256.2. Only correctly
// rounded quotients are compared, and none of the grid's lies near a
// rounding tie, so the x87 at 53 or 64 bits finds the same steps.
int32_t GridSteps(double value, int32_t scale, double offset, const PositionRange& range) {
    auto grid = [&](int32_t n) { return AsDouble((n + offset) / scale); };
    int32_t n = CutAndClamp(value * scale - offset, range.Min, range.Max);  // the steps or next to them
    while (n < range.Max && grid(n + 1) <= value) ++n;
    while (n > range.Min && grid(n) > value) --n;
    return n;
}
}  // namespace

void NormaliseCustomSize(PrintSettings& s, char (&text)[32]) {
    // Millimetres cut to the tenth; inches rounded half up to the hundredth
    // and stored with 0.0005 over it, again as one correctly rounded
    // quotient far from a tie. The list text shows the whole steps.
    const bool inches = s.CustomUnit != 0;
    const SizeLimits& l = LimitsFor(inches);
    const int32_t scale = inches ? 100 : 10;
    const double offset = inches ? -0.5 : 0.0;
    const int32_t width = GridSteps(s.CustomWidth, scale, offset, l.Width);
    const int32_t length = GridSteps(s.CustomLength, scale, offset, l.Length);
    FormatText(text, sizeof text, inches ? "%s(%d.%02d x %d.%02d in)" : "%s(%d.%d x %d.%d mm)", CustomSizeName,
               static_cast<int>(width / scale), static_cast<int>(width % scale), static_cast<int>(length / scale),
               static_cast<int>(length % scale));
    s.CustomWidth = inches ? (width * 20 + 1) / 2000.0 : width / 10.0;
    s.CustomLength = inches ? (length * 20 + 1) / 2000.0 : length / 10.0;
}

double StoredToMm(double stored, int32_t unit, bool isLength) {
    bool inches = unit != 0;
    const SizeLimits& l = LimitsFor(inches);
    const PositionRange& r = isLength ? l.Length : l.Width;
    double step = inches ? 0.01 : 0.1;
    double lo = r.Min * step, hi = r.Max * step;
    // Values a former normalisation left on the grid (inches carry 0.0005)
    // pass unchanged; only what lies clearly outside is brought in.
    double slack = inches ? 0.001 : 0.0;
    if (!(stored >= lo - slack)) stored = lo;
    else if (stored > hi + slack) stored = hi;
    return inches ? stored * MmPerInch : stored;
}

int32_t TextToPosition(const char* text, bool inches) {
    int64_t accumulator = 0;
    int64_t divisor = 1;
    bool point = false;
    for (const char* p = text ? text : ""; *p; ++p) {
        if (*p == '.') {
            point = true;
            divisor = 1;
        } else if (*p >= '0' && *p <= '9') {
            // Digits beyond these cannot move a position that is clamped to
            // MaxPosition or cut to the unit's step.
            if (accumulator >= 100000000000LL || divisor >= 100000000000LL) continue;
            accumulator = accumulator * 10 + (*p - '0');
            if (point) divisor *= 10;
        }
    }
    int64_t position = accumulator * (inches ? 100 : 10);
    if (point) position /= divisor;
    return position > MaxPosition ? MaxPosition : static_cast<int32_t>(position);
}

double PositionToMm(int32_t position, bool inches) {
    if (!inches) return position * static_cast<double>(0.1f);
    return position * static_cast<double>(0.01f) * MmPerInch;
}

int32_t MmToPosition(double mm, bool inches) {
    constexpr double Slack = 0.001;  // of a step
    return CutAndClamp((inches ? mm * InchPerMm * 100 : mm * 10) + Slack, 0, MaxPosition);
}

void FormatSize(double mm, bool inches, char (&text)[32]) {
    if (inches) FormatText(text, sizeof text, "%.2f", mm * InchPerMm);
    else FormatText(text, sizeof text, "%.1f", mm);
}

void FormatRange(const PositionRange& range, bool inches, char (&text)[48]) {
    if (inches) FormatText(text, sizeof text, "(%4.2f～%4.2finch)", range.Min * 0.01, range.Max * 0.01);
    else FormatText(text, sizeof text, "(%4.1f～%4.1fmm)", range.Min * 0.1, range.Max * 0.1);
}

namespace {
// The leading decimal number of an edit text ([blanks][sign]digits[.digits]),
// kept as its significant digits so that two texts compare exactly.
struct DecimalText {
    bool Negative = false;
    const char* Whole = "";  // without leading zeros
    size_t WholeLength = 0;
    const char* Fraction = "";  // without trailing zeros
    size_t FractionLength = 0;
};

DecimalText ReadDecimal(const char* p) {
    DecimalText d;
    if (!p) return d;
    while (*p == ' ' || *p == '\t') ++p;
    if (*p == '+' || *p == '-') d.Negative = *p++ == '-';
    while (*p == '0') ++p;
    d.Whole = p;
    while (*p >= '0' && *p <= '9') ++p;
    d.WholeLength = p - d.Whole;
    if (*p == '.') {
        d.Fraction = ++p;
        while (*p >= '0' && *p <= '9') ++p;
        d.FractionLength = p - d.Fraction;
        while (d.FractionLength && d.Fraction[d.FractionLength - 1] == '0') --d.FractionLength;
    }
    if (!d.WholeLength && !d.FractionLength) d.Negative = false;  // -0 is 0
    return d;
}

// <0, 0, >0 as a is below, equal to or above b, for magnitudes.
int CompareMagnitude(const DecimalText& a, const DecimalText& b) {
    if (a.WholeLength != b.WholeLength) return a.WholeLength < b.WholeLength ? -1 : 1;
    if (int c = strncmp(a.Whole, b.Whole, a.WholeLength)) return c;
    size_t n = a.FractionLength < b.FractionLength ? a.FractionLength : b.FractionLength;
    if (int c = strncmp(a.Fraction, b.Fraction, n)) return c;
    return a.FractionLength == b.FractionLength ? 0 : a.FractionLength < b.FractionLength ? -1 : 1;
}
}  // namespace

bool IsPortraitSheet(const char* widthText, const char* lengthText) {
    DecimalText width = ReadDecimal(widthText), length = ReadDecimal(lengthText);
    if (width.Negative != length.Negative) return width.Negative;
    int c = CompareMagnitude(length, width);
    return length.Negative ? c <= 0 : c >= 0;
}

void StoreCustomSize(PrintSettings& s, bool inches, double widthMm, double lengthMm) {
    s.CustomUnit = inches ? 1 : 0;
    s.CustomWidth = inches ? widthMm * InchPerMm : widthMm;
    s.CustomLength = inches ? lengthMm * InchPerMm : lengthMm;
}
