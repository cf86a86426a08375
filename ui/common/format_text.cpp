#include "ui/common/format_text.h"

#include <cassert>
#include <cstdarg>
#include <cstdint>
#include <cstring>

namespace {
constexpr int MaxDecimals = 3;
constexpr int MaxWidth = 100000;
constexpr uint64_t PowersOfTen[MaxDecimals + 1] = {1, 10, 100, 1000};

struct Conversion {
    bool zero = false;
    int width = 0;
    int precision = -1;
};

class Output {
public:
    Output(char* out, size_t size) : m_out(out), m_size(size) {}
    void Put(char c) {
        if (m_length + 1 < m_size) m_out[m_length] = c;
        ++m_length;
    }
    void Repeat(char c, int count) {
        for (int i = 0; i < count; ++i) Put(c);
    }
    int Finish() {
        if (m_size) m_out[m_length < m_size ? m_length : m_size - 1] = '\0';
        return static_cast<int>(m_length);
    }

private:
    char* m_out;
    size_t m_size;
    size_t m_length = 0;
};

// A format outside the subset is a fault of the calling code: loud where it
// is developed, a cut text and -1 where it ships.
int Unsupported(Output& out) {
    assert(!"FormatText: a format outside its subset");
    out.Finish();
    return -1;
}

// Lays out the padding to the width (zeros after the sign when asked), the
// sign and the body.
void PutField(Output& out, const Conversion& conv, bool negative, const char* body, int length) {
    int pad = conv.width - length - (negative ? 1 : 0);
    if (pad < 0) pad = 0;
    if (!conv.zero) out.Repeat(' ', pad);
    if (negative) out.Put('-');
    if (conv.zero) out.Repeat('0', pad);
    for (int i = 0; i < length; ++i) out.Put(body[i]);
}

// Writes `value` backwards ending at `end`, at least `minimum` digits;
// returns the first digit.
char* Digits(uint64_t value, char* end, int minimum) {
    char* p = end;
    do {
        *--p = static_cast<char>('0' + value % 10);
        value /= 10;
    } while (value || end - p < minimum);
    return p;
}

void PutInteger(Output& out, const Conversion& conv, long long value) {
    uint64_t magnitude = value < 0 ? 0 - static_cast<uint64_t>(value) : static_cast<uint64_t>(value);
    char buffer[20];  // 2^64 has 20 digits
    char* end = buffer + sizeof buffer;
    char* first = Digits(magnitude, end, 1);
    PutField(out, conv, value < 0, first, static_cast<int>(end - first));
}

// mantissa x 2^-shift x 10^decimals, rounded half to even. The mantissa is
// below 2^53, so the product stays below 2^63.
uint64_t ScaledRounded(uint64_t mantissa, int shift, int decimals) {
    uint64_t scaled = mantissa * PowersOfTen[decimals];
    if (shift == 0) return scaled;
    if (shift > 63) return 0;  // below one half
    uint64_t quotient = scaled >> shift;
    uint64_t rest = scaled & ((uint64_t{1} << shift) - 1);
    uint64_t half = uint64_t{1} << (shift - 1);
    if (rest > half || (rest == half && (quotient & 1))) ++quotient;
    return quotient;
}

// False for what the subset leaves out: no precision or more than three
// decimals, a value of 2^53 or more, infinities and NaNs.
bool PutFixed(Output& out, const Conversion& conv, double value) {
    int decimals = conv.precision;
    if (decimals < 0 || decimals > MaxDecimals) return false;
    uint64_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    int biased = static_cast<int>(bits >> 52 & 0x7ff);
    uint64_t fraction = bits & ((uint64_t{1} << 52) - 1);
    int exponent = (biased ? biased : 1) - 1075;
    if (exponent > 0) return false;
    uint64_t scaled = ScaledRounded(biased ? fraction | uint64_t{1} << 52 : fraction, -exponent, decimals);
    char buffer[24];  // 2^53 x 1000 has 19 digits
    char* end = buffer + sizeof buffer;
    char* p = end;
    if (decimals) {
        p = Digits(scaled % PowersOfTen[decimals], end, decimals);
        *--p = '.';
    }
    p = Digits(scaled / PowersOfTen[decimals], p, 1);
    PutField(out, conv, bits >> 63, p, static_cast<int>(end - p));
    return true;
}

void PutText(Output& out, const Conversion& conv, const char* text) {
    if (!text) text = "(null)";
    int length = 0;
    while (text[length] && (conv.precision < 0 || length < conv.precision)) ++length;
    PutField(out, conv, false, text, length);
}

// A decimal number; above MaxWidth it is MaxWidth + 1, which no field takes.
int TakeNumber(const char*& p) {
    int n = 0;
    for (; *p >= '0' && *p <= '9'; ++p)
        if (n <= MaxWidth) n = n * 10 + (*p - '0');
    return n <= MaxWidth ? n : MaxWidth + 1;
}

int FormatTextV(char* out, size_t size, const char* format, va_list args) {
    Output o(out, size);
    if (!format) return Unsupported(o);
    for (const char* p = format; *p; ++p) {
        if (*p != '%') {
            o.Put(*p);
            continue;
        }
        const char* start = p++;
        Conversion conv;
        if (*p == '0') conv.zero = true, ++p;
        conv.width = TakeNumber(p);
        if (*p == '.') {
            ++p;
            if (*p == '*') {
                int precision = va_arg(args, int);
                conv.precision = precision < 0 ? -1 : precision;  // negative: none, as in C
                ++p;
            } else {
                conv.precision = TakeNumber(p);
            }
        }
        const bool wide = p[0] == 'l' && p[1] == 'l';
        if (wide) p += 2;
        if (conv.width > MaxWidth || conv.precision > MaxWidth) return Unsupported(o);
        switch (*p) {
        case 'd':
            if (conv.precision >= 0) return Unsupported(o);
            PutInteger(o, conv, wide ? va_arg(args, long long) : va_arg(args, int));
            break;
        case 's':
            if (wide || conv.zero) return Unsupported(o);
            PutText(o, conv, va_arg(args, const char*));
            break;
        case 'f':
            if (wide || !PutFixed(o, conv, va_arg(args, double))) return Unsupported(o);
            break;
        case '%':
            if (p != start + 1) return Unsupported(o);
            o.Put('%');
            break;
        default: return Unsupported(o);
        }
    }
    return o.Finish();
}
}  // namespace

int FormatText(char* out, size_t size, const char* format, ...) {
    va_list args;
    va_start(args, format);
    int n = FormatTextV(out, size, format, args);
    va_end(args);
    return n;
}
