// snprintf for the pages' texts, written out here so that every build forms
// the same characters and the 32-bit DLL carries no C library formatter.
// Portable.
//
// Conversions: %d %i %u %c %s %f %% with the flags '-', '+', ' ', '0', a
// width and a precision (numbers or '*'), and the length modifiers l and ll.
// %f rounds the exact binary value half to even, as C libraries do; it
// writes at most three decimals and magnitudes up to 2^53. Integers take at
// most 24 digits of precision, widths at most 100000.
#pragma once

#include <cstddef>

// Writes at most size - 1 characters and a terminating zero (nothing when
// size is 0). Returns the length the whole text has, as snprintf does, or -1
// for an unknown conversion.
int FormatText(char* out, size_t size, const char* format, ...)
#ifdef __GNUC__
    __attribute__((format(printf, 3, 4)))
#endif
    ;
