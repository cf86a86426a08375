// snprintf for the pages' texts, written out here so that every build forms
// the same characters and the 32-bit DLL carries no C library formatter.
// Portable, and integer-only: the result does not depend on the caller's
// floating-point state.
//
// What the pages use, and nothing more:
//   %d and %lld, with the flag '0' and a width;
//   %s, with a width and a precision (a number or '*');
//   %f, with the flag '0', a width and a precision of 0 to 3, for finite
//       values below 2^53; rounded half to even from the exact binary value,
//       as C libraries do;
//   %%.
// Widths go up to 100000. Anything else (another conversion, flag or length,
// a '*' width, %f without a precision or with more than three decimals, a
// larger or non-finite value, a precision on %d) is a fault of the caller:
// it stops the program in a debug build; otherwise the text ends where the
// fault stands and the call returns -1.
#pragma once

#include <cstddef>

// Writes at most size - 1 characters and a terminating zero (nothing when
// size is 0). Returns the length the whole text has, as snprintf does, or -1
// for a format outside the subset above.
int FormatText(char* out, size_t size, const char* format, ...)
#ifdef __GNUC__
    __attribute__((format(printf, 3, 4)))
#endif
    ;
