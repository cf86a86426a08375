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
