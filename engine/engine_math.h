// The arithmetic that makes the engine's tables the same bytes on every build:
// one power function of our own, and double-precision rounding on the x87.
#pragma once

// x^y rounded to the nearest double. It is meant for positive finite x and
// moderate y (results within the normal range); there it is correctly rounded
// except when the exact result lies within about 2^-100 of a midpoint between
// two doubles (an exact midpoint is possible only for special x and y, such as
// x with few significant bits and an integral y of 3 or more). The rest gets
// the obvious answers: y == 0 gives 1, x == 0 gives 0 or infinity, x < 0 and
// NaN give NaN, infinite x or a result beyond the normal range give 0 or
// infinity. It holds an EngineArithmetic (below) while it computes.
double EnginePow(double x, double y);

// The same, for callers that already hold an EngineArithmetic (the engine's
// loops): without one, the x87 at 64-bit precision gives wrong results.
double EnginePowHeld(double x, double y);

// EnginePowHeld(x, 0.3333333333333333), the same bits, for the engine's Lab
// cube roots: from an inverse cube root by Newton's method instead of a
// logarithm and an exponential, several times cheaper. Results it cannot
// round with certainty, and x outside [2^-8, 2), take the general path.
double EnginePowOneThirdHeld(double x);

// The same two functions over arrays, for the engine's loops (an
// EngineArithmetic held): out[n] = EnginePowOneThirdHeld(x[n]), and
// out[n] = EnginePowHeld(x[n], y), for n < count; out may be x. On x86
// processors they compute at the x87's extended precision, switching its
// precision control once per call, and redo through the functions above,
// afterwards, the few values whose rounding that cannot settle: the bits are
// the same.
void EnginePowOneThirdManyHeld(const double* x, double* out, int count);
void EnginePowManyHeld(const double* x, double y, double* out, int count);

#if defined(__x86_64__)
// The same for four values at once with AVX2 (the caller checks that the
// processor has it): the very operations in vector lanes. Returns a mask of
// the lanes it left to EnginePowOneThirdHeld (bit n for x[n]); out[n] of
// those is not set.
int EnginePowOneThirdFourAvx2(const double* x, double* out);
#endif

// For the lifetime of the holder, arithmetic on doubles rounds to nearest with
// a 53-bit significand and raises no exception: on the x87 the precision
// control is set to double (the host process may run it at 64 bits, with
// exceptions unmasked), with SSE the rounding mode is set to nearest and
// denormals are kept; every exception is masked. The caller's settings come
// back at the end, without the flags raised meanwhile. Every engine entry
// that computes with doubles holds one, and so does every export of the
// library.
class EngineArithmetic {
public:
    EngineArithmetic();
    ~EngineArithmetic();
    EngineArithmetic(const EngineArithmetic&) = delete;
    EngineArithmetic& operator=(const EngineArithmetic&) = delete;

private:
    unsigned m_saved;
    bool m_changed;
};
