#include "ui/common/format_text.h"

#include <cstdarg>
#include <cstdint>
#include <cstring>

namespace {
constexpr int MaxDecimals = 3;
constexpr int MaxIntegerDigits = 24;  // 2^64 has 20
constexpr int MaxWidth = 100000;
constexpr uint64_t PowersOfTen[MaxDecimals + 1] = {1, 10, 100, 1000};

struct Conversion {
    bool left = false, plus = false, space = false, zero = false;
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

// Lays out sign, digits (with zeros to the precision in front when given)
// and the conversion's padding.
void PutField(Output& out, const Conversion& conv, char sign, const char* body, int length, bool numeric) {
    int signLength = sign ? 1 : 0;
    int pad = conv.width - length - signLength;
    if (pad < 0) pad = 0;
    if (!conv.left && !(conv.zero && numeric)) out.Repeat(' ', pad);
    if (sign) out.Put(sign);
    if (!conv.left && conv.zero && numeric) out.Repeat('0', pad);
    for (int i = 0; i < length; ++i) out.Put(body[i]);
    if (conv.left) out.Repeat(' ', pad);
}

char SignOf(const Conversion& conv, bool negative) {
    return negative ? '-' : conv.plus ? '+' : conv.space ? ' ' : 0;
}

// Writes `value` backwards into the end of `buffer`; returns the first digit.
char* Digits(uint64_t value, char* end, int minimum) {
    char* p = end;
    do {
        *--p = static_cast<char>('0' + value % 10);
        value /= 10;
    } while (value || end - p < minimum);
    return p;
}

void PutInteger(Output& out, Conversion conv, bool negative, uint64_t magnitude) {
    char buffer[MaxIntegerDigits];
    char* end = buffer + sizeof buffer;
    int minimum = conv.precision < 1 ? 1 : conv.precision < MaxIntegerDigits ? conv.precision : MaxIntegerDigits;
    char* first = conv.precision == 0 && magnitude == 0 ? end : Digits(magnitude, end, minimum);
    if (conv.precision >= 0) conv.zero = false;
    PutField(out, conv, SignOf(conv, negative), first, static_cast<int>(end - first), true);
}

// value x 10^decimals, rounded half to even from the exact binary value.
uint64_t ScaledRounded(uint64_t mantissa, int exponent, int decimals) {
    uint64_t scaled = mantissa * PowersOfTen[decimals];  // below 2^63
    if (exponent >= 0) return scaled << exponent;         // only for mantissa * 2^exponent < 2^53
    int shift = -exponent;
    if (shift > 63) return 0;  // below one half
    uint64_t quotient = scaled >> shift;
    uint64_t rest = scaled & ((uint64_t{1} << shift) - 1);
    uint64_t half = uint64_t{1} << (shift - 1);
    if (rest > half || (rest == half && (quotient & 1))) ++quotient;
    return quotient;
}

void PutFixed(Output& out, Conversion conv, double value) {
    uint64_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    bool negative = bits >> 63;
    int biased = static_cast<int>(bits >> 52 & 0x7ff);
    uint64_t fraction = bits & ((uint64_t{1} << 52) - 1);
    if (biased == 0x7ff) {
        conv.zero = false;
        PutField(out, conv, SignOf(conv, negative && !fraction), fraction ? "nan" : "inf", 3, true);
        return;
    }
    int decimals = conv.precision < 0 ? 6 : conv.precision;
    if (decimals > MaxDecimals) decimals = MaxDecimals;
    uint64_t mantissa = biased ? fraction | uint64_t{1} << 52 : fraction;
    int exponent = (biased ? biased : 1) - 1075;
    if (exponent > 0) {  // 2^53 and beyond: the largest integer below 2^53
        mantissa = (uint64_t{1} << 53) - 1;
        exponent = 0;
    }
    uint64_t scaled = ScaledRounded(mantissa, exponent, decimals);
    char buffer[32];
    char* end = buffer + sizeof buffer;
    char* p = end;
    if (decimals) {
        p = Digits(scaled % PowersOfTen[decimals], end, decimals);
        *--p = '.';
    }
    p = Digits(scaled / PowersOfTen[decimals], p, 1);
    PutField(out, conv, SignOf(conv, negative), p, static_cast<int>(end - p), true);
}

void PutText(Output& out, Conversion conv, const char* text) {
    if (!text) text = "(null)";
    int length = 0;
    while (text[length] && (conv.precision < 0 || length < conv.precision)) ++length;
    PutField(out, conv, 0, text, length, false);
}

int Bounded(long long n) { return n < MaxWidth ? static_cast<int>(n) : MaxWidth; }

int TakeNumber(const char*& p) {
    long long n = 0;
    for (; *p >= '0' && *p <= '9'; ++p)
        if (n < MaxWidth) n = n * 10 + (*p - '0');
    return Bounded(n);
}

int FormatTextV(char* out, size_t size, const char* format, va_list args) {
    Output o(out, size);
    for (const char* p = format ? format : ""; *p; ++p) {
        if (*p != '%') {
            o.Put(*p);
            continue;
        }
        Conversion conv;
        for (;; ++p) {
            char f = p[1];
            if (f == '-') conv.left = true;
            else if (f == '+') conv.plus = true;
            else if (f == ' ') conv.space = true;
            else if (f == '0') conv.zero = true;
            else break;
        }
        ++p;
        if (*p == '*') {
            long long width = va_arg(args, int);
            conv.left = conv.left || width < 0;
            conv.width = Bounded(width < 0 ? -width : width);
            ++p;
        } else {
            conv.width = TakeNumber(p);
        }
        if (*p == '.') {
            ++p;
            if (*p == '*') {
                conv.precision = va_arg(args, int);
                ++p;
            } else {
                conv.precision = TakeNumber(p);
            }
        }
        int longs = 0;
        while (*p == 'l') ++longs, ++p;
        switch (*p) {
        case 'd':
        case 'i': {
            long long v = longs >= 2 ? va_arg(args, long long) : longs ? va_arg(args, long) : va_arg(args, int);
            uint64_t magnitude = v < 0 ? 0 - static_cast<uint64_t>(v) : static_cast<uint64_t>(v);
            PutInteger(o, conv, v < 0, magnitude);
            break;
        }
        case 'u': {
            unsigned long long v = longs >= 2 ? va_arg(args, unsigned long long)
                                   : longs  ? va_arg(args, unsigned long)
                                            : va_arg(args, unsigned);
            conv.plus = conv.space = false;
            PutInteger(o, conv, false, v);
            break;
        }
        case 'c': {
            char c = static_cast<char>(va_arg(args, int));
            PutField(o, conv, 0, &c, 1, false);
            break;
        }
        case 's': PutText(o, conv, va_arg(args, const char*)); break;
        case 'f': PutFixed(o, conv, va_arg(args, double)); break;
        case '%': o.Put('%'); break;
        default:
            o.Finish();
            return -1;
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
