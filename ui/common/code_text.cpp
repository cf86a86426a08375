#include "ui/common/code_text.h"

#include <cstring>

bool IsCodeCharacter(unsigned char c) {
    return (c >= 0x21 && c <= 0x7D && c != 0x2C) || (c >= 0xA1 && c <= 0xDF);
}

bool CutToCodeSet(char* text, size_t capacity) {
    if (!text || capacity == 0) return false;
    // Shift-JIS lead bytes (0x81-0x9F, 0xE0-0xFC) are outside the set, so a
    // byte scan stops at a double-byte character before reaching its trail
    // byte, which could otherwise look like an ASCII letter.
    size_t length = strnlen(text, capacity);
    size_t keep = 0;
    while (keep < length && IsCodeCharacter(static_cast<unsigned char>(text[keep]))) ++keep;
    if (keep == length && length < capacity) return false;
    // A full field without a terminator loses its last byte to one.
    text[keep < capacity ? keep : capacity - 1] = '\0';
    return true;
}
