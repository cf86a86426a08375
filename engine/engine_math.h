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

// out[n] = x[n] / divisor, the same bits, the same way: a multiplication by
// the reciprocal in the x87's extended format. For divisors that are not
// powers of two, so that no quotient lies on a midpoint between doubles, and
// quotients in the normal range.
void EngineDivideManyHeld(const double* x, double divisor, double* out, int count);

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

#if defined(__i386__) || defined(__x86_64__)
#include <cstdint>
#include <cstring>

// For the engine's batches: while held, the x87 computes at 64-bit precision
// (long double is its extended format on every x86 build), rounding to
// nearest with every exception masked; the caller's control word comes back,
// the flags raised meanwhile cleared, as EngineArithmetic does. Its results
// reach doubles only through RoundsWithCertainty.
class ExtendedArithmetic {
public:
    ExtendedArithmetic() {
        __asm__ __volatile__("fnstcw %0" : "=m"(m_saved));
        const unsigned short wanted = static_cast<unsigned short>((m_saved & ~0x0F00u) | 0x033Fu);
        __asm__ __volatile__("fldcw %0" : : "m"(wanted) : "memory");
    }
    ~ExtendedArithmetic() { __asm__ __volatile__("fnclex\n\tfldcw %0" : : "m"(m_saved) : "memory"); }
    ExtendedArithmetic(const ExtendedArithmetic&) = delete;
    ExtendedArithmetic& operator=(const ExtendedArithmetic&) = delete;

private:
    unsigned short m_saved;
};

// Ziv's test on an extended result: when the exact value lies less than
// slack + 1 units of res's last (64th) place from res, the double nearest to
// res is the correctly rounded value unless res's 11 low bits lie within
// slack of a midpoint between two doubles, 0x400. Then out is that double
// (rounded by the store itself: a cast may stay in a register); else false.
// For results in the normal range of doubles.
inline bool RoundsWithCertainty(long double res, uint32_t slack, double& out) {
    uint32_t low;
    std::memcpy(&low, &res, sizeof low);  // the significand's low word
    if ((low & 0x7FFu) - (0x400u - slack) <= 2 * slack) return false;
    __asm__("fstpl %0" : "=m"(out) : "t"(res) : "st");
    return true;
}
#endif
