// The code character set of the department code (Main page) and the user
// number (Option page): printable single-byte characters without space,
// comma and tilde, and the half-width katakana range. Portable.
#pragma once

#include <cstddef>

bool IsCodeCharacter(unsigned char c);

// Cuts `text` (at most `capacity` bytes, always left terminated) before its
// first character outside the code set. Returns true when the text changed.
bool CutToCodeSet(char* text, size_t capacity);
