// Conversions between UTF-8 (files, terminals) and the system's Shift-JIS
// (code page 932).
#pragma once

#include <string>

// False when the text has a character that the other encoding lacks, or is
// not valid in its own.
bool Utf8ToShiftJis(const std::string& utf8, std::string& sjis);
bool ShiftJisToUtf8(const std::string& sjis, std::string& utf8);
