#include "ui/main/number_text.h"

#include <cstring>

#include "ui/common/format_text.h"

namespace {
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Cuts `text` at the first character that is neither a digit nor the first
// of the marked characters. Digits and the marks are ASCII, and no Shift-JIS
// lead byte is one of them, so a double-byte character ends the run at its
// lead byte.
template <typename IsMark>
bool KeepDigitsAndOneMark(char* text, IsMark isMark) {
    if (!text) return false;
    bool markSeen = false;
    size_t i = 0;
    for (; text[i] != '\0'; ++i) {
        if (IsDigit(text[i])) continue;
        if (isMark(text[i]) && !markSeen) {
            markSeen = true;
            continue;
        }
        break;
    }
    if (text[i] == '\0') return false;
    text[i] = '\0';
    return true;
}
}  // namespace

bool KeepDigitsAndOnePoint(char* text) {
    return KeepDigitsAndOneMark(text, [](char c) { return c == '.'; });
}

bool KeepDigitsAndOneSign(char* text) {
    return KeepDigitsAndOneMark(text, [](char c) { return c == '+' || c == '-'; });
}

int32_t LeadingInteger(const char* text) {
    if (!text) return 0;
    while (*text == ' ' || *text == '\t' || *text == '\n' || *text == '\r' || *text == '\f' || *text == '\v') ++text;
    bool negative = false;
    if (*text == '+' || *text == '-') negative = *text++ == '-';
    int64_t value = 0;
    for (; IsDigit(*text); ++text) {
        value = value * 10 + (*text - '0');
        if (value > INT32_MAX) value = static_cast<int64_t>(INT32_MAX) + 1;  // saturate
    }
    if (negative) value = -value;
    if (value > INT32_MAX) return INT32_MAX;
    if (value < INT32_MIN) return INT32_MIN;
    return static_cast<int32_t>(value);
}

int32_t ClampMargin(int32_t value) {
    return value < MarginMin ? MarginMin : value > MarginMax ? MarginMax : value;
}

void FormatMargin(int32_t value, char (&text)[16]) {
    FormatText(text, sizeof text, value > 0 ? "+%d" : "%d", static_cast<int>(value));
}
