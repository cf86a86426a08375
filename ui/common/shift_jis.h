// Characters of Shift-JIS (code page 932) text: a lead byte (0x81-0x9F,
// 0xE0-0xFC) and the trail byte after it are one character, and a trail
// byte may be 0x5C or an ASCII letter. Portable.
#pragma once

#include <cstddef>

inline bool IsLeadByte(unsigned char c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }

inline bool IsTrailByte(unsigned char c) { return c >= 0x40 && c <= 0xFC && c != 0x7F; }

// Bytes of the character that starts at `p`: two for a lead byte followed by
// a trail byte, else one (a stray lead byte stands alone).
inline size_t CharBytes(const char* p) {
    return IsLeadByte(static_cast<unsigned char>(p[0])) && IsTrailByte(static_cast<unsigned char>(p[1])) ? 2 : 1;
}
