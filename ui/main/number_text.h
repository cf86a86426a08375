// Filters and conversions of the numeric edits of the Main page's dialogs.
// Each filter keeps the leading run of allowed characters of a zero-
// terminated text and returns true when it cut something. Portable.
#pragma once

#include <cstddef>
#include <cstdint>

// Digits and the first full stop (the custom paper size edits).
bool KeepDigitsAndOnePoint(char* text);
// Digits and the first sign character, wherever it stands (the margin edit).
bool KeepDigitsAndOneSign(char* text);

// The integer at the start of a text: leading blanks, an optional sign, the
// digits that follow; no digits give 0. Saturates instead of overflowing.
int32_t LeadingInteger(const char* text);

// The binding margin: limits, and its text with an explicit plus sign.
constexpr int32_t MarginMin = -60;
constexpr int32_t MarginMax = 60;
int32_t ClampMargin(int32_t value);
void FormatMargin(int32_t value, char (&text)[16]);
