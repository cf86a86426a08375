#include "engine/rdt_mapper.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <new>

#include "engine/color_engine.h"

#if defined(__i386__)
#include <cpuid.h>
#endif

#if defined(__x86_64__) || defined(__i386__)
#define QV_X86 1
#include <immintrin.h>
#else
#define QV_X86 0
#endif

// The vector kernels compute MapThroughTable's sum of eight weight x byte
// products in three exact integer stages: blue (weights 16 - f and f, bytes
// multiplied and paired by maddubs), then green and red together (weights up
// to 256, paired by madd). No stage rounds, so the sum and its >> 12 are the
// scalar ones bit for bit.

namespace {

constexpr int QuadPlane = 16 * 16 * 3;  // quads per red lattice index

// The plain kernel interpolates blue, then green, then red, each stage as
// 16 lower + f (upper - lower): the weights of MapThroughTable factor as
// (16 - f, f) per axis, so the integer sum is the same, with 21
// multiplications instead of 36.
template <bool Bgr>
void MapRowScalar(const uint8_t* table, const void*, const uint8_t* src, uint8_t* dst, size_t pixels) {
    constexpr int R = Bgr ? 2 : 0;
    constexpr int B = Bgr ? 0 : 2;
    constexpr int NextB = 3, NextG = 17 * 3, NextR = 17 * 17 * 3;
    for (size_t i = 0; i < pixels; ++i, src += 3, dst += 3) {
        const unsigned r = src[R], g = src[1], b = src[B];
        const int fr = static_cast<int>(r & 15u), fg = static_cast<int>(g & 15u), fb = static_cast<int>(b & 15u);
        const uint8_t* e = table + (((r >> 4) * 17u + (g >> 4)) * 17u + (b >> 4)) * 3u;
        uint8_t out[3];
        for (int c = 0; c < 3; ++c, ++e) {
            const int b00 = 16 * e[0] + fb * (e[NextB] - e[0]);
            const int b01 = 16 * e[NextG] + fb * (e[NextG + NextB] - e[NextG]);
            const int b10 = 16 * e[NextR] + fb * (e[NextR + NextB] - e[NextR]);
            const int b11 = 16 * e[NextR + NextG] + fb * (e[NextR + NextG + NextB] - e[NextR + NextG]);
            const int g0 = 16 * b00 + fg * (b01 - b00);
            const int g1 = 16 * b10 + fg * (b11 - b10);
            out[c] = static_cast<uint8_t>((16 * g0 + fr * (g1 - g0)) >> 12);
        }
        dst[R] = out[0];
        dst[1] = out[1];
        dst[B] = out[2];
    }
}

// The Pentium's integer multiply takes 9 clocks and does not pipeline; its
// FPU multiplies do. The FPU kernel forms the same sum in floats: each of the
// four green-blue corners along red as 16 lower + fr (upper - lower), from a
// prepared table of 16 e and of the difference to the next red node, then the
// corners with their product weights (16 - fg)(16 - fb), (16 - fg) fb,
// fg (16 - fb), fg fb: 8 multiplications a channel. Every product and sum
// is an integer below 2^24 (at most 4096 x 255), exact in a float at
// whatever precision the caller left the x87 in, so the result equals the
// integer one bit for bit.
constexpr std::array<float, 16> FpuRed = [] {
    std::array<float, 16> w{};
    for (int f = 0; f < 16; ++f) w[f] = static_cast<float>(f);
    return w;
}();

// Indexed by fg << 4 | fb.
struct FpuCorners {
    float W00, W01, W10, W11;
};

constexpr std::array<FpuCorners, 256> FpuGreenBlue = [] {
    std::array<FpuCorners, 256> w{};
    for (int fg = 0; fg < 16; ++fg) {
        for (int fb = 0; fb < 16; ++fb) {
            w[fg << 4 | fb] = {static_cast<float>((16 - fg) * (16 - fb)), static_cast<float>((16 - fg) * fb),
                               static_cast<float>(fg * (16 - fb)), static_cast<float>(fg * fb)};
        }
    }
    return w;
}();

// v is an integer: the conversion is exact in any rounding mode, so on the
// x87 a plain fistp does it (a C++ conversion would switch the mode twice).
inline int IntegerOf(float v) {
#if (defined(__i386__) || defined(__x86_64__)) && !defined(__SSE_MATH__)
    int n;
    __asm__("fistpl %0" : "=m"(n) : "t"(v) : "st");
    return n;
#else
    return static_cast<int>(v);
#endif
}

// The FPU kernel's table: 16 e for every entry, then, RdtBytes further on,
// the difference to the entry one red node up (zero on the last red plane).
void PrepareFpuTable(const uint8_t* rdt, std::vector<float>& wide) {
    constexpr size_t NextR = 17 * 17 * 3;
    wide.resize(2 * RdtBytes);
    for (size_t i = 0; i < RdtBytes; ++i) {
        wide[i] = static_cast<float>(16 * rdt[i]);
        wide[RdtBytes + i] = i + NextR < RdtBytes ? static_cast<float>(rdt[i + NextR] - rdt[i]) : 0.0f;
    }
}

// One channel of a pixel whose cell starts at e. The weights stay memory or
// register operands of the multiplies: on the x87 that is one instruction each.
inline unsigned FpuChannel(const float* e, float fr, const FpuCorners& w) {
    constexpr int NextB = 3, NextG = 17 * 3;
    const float* d = e + RdtBytes;
    const float sum = (e[0] + fr * d[0]) * w.W00 + (e[NextB] + fr * d[NextB]) * w.W01 +
                      (e[NextG] + fr * d[NextG]) * w.W10 + (e[NextG + NextB] + fr * d[NextG + NextB]) * w.W11;
    return static_cast<unsigned>(IntegerOf(sum)) >> 12;
}

// A pixel's three channels, in the order of e, to out[0], out[step], out[2 step].
template <int Step>
inline void FpuPixel(const float* e, float fr, const FpuCorners& w, uint8_t* out) {
    out[0] = static_cast<uint8_t>(FpuChannel(e, fr, w));
    out[Step] = static_cast<uint8_t>(FpuChannel(e + 1, fr, w));
    out[2 * Step] = static_cast<uint8_t>(FpuChannel(e + 2, fr, w));
}

inline unsigned CellNode(unsigned r, unsigned g, unsigned b) {
    return (((r >> 4) * 17u + (g >> 4)) * 17u + (b >> 4)) * 3u;
}

template <bool Bgr>
void MapRowFpu(const uint8_t*, const void* prepared, const uint8_t* src, uint8_t* dst, size_t pixels) {
    constexpr int R = Bgr ? 2 : 0;
    constexpr int B = Bgr ? 0 : 2;
    const float* table = static_cast<const float*>(prepared);
    for (size_t i = 0; i < pixels; ++i, src += 3, dst += 3) {
        const unsigned r = src[R], g = src[1], b = src[B];
        const FpuCorners& w = FpuGreenBlue[(g & 15u) << 4 | (b & 15u)];
        FpuPixel<Bgr ? -1 : 1>(table + CellNode(r, g, b), FpuRed[r & 15u], w, dst + R);
    }
}

// Blue-first pixels from their kept cells (MapCells), Step bytes apart: a
// row (3) or the colors of a picture (4).
template <size_t Step>
void MapCellsFpu(const float* table, const uint32_t* cells, uint8_t* dst, size_t pixels) {
    for (size_t i = 0; i < pixels; ++i, ++cells, dst += Step) {
        const uint32_t v = *cells;
        const FpuCorners& w = FpuGreenBlue[v & 255u];
        FpuPixel<-1>(table + (v >> 12), FpuRed[(v >> 8) & 15u], w, dst + 2);
    }
}

#if QV_X86

// The MMX kernel, for the Pentium MMX and the Pentium II: the four
// green-blue corners of a pixel's cell, each interpolated along red as
// 16 lower + fr (upper - lower) in 16-bit lanes (at most 4080), then weighted
// by (16 - fg)(16 - fb), (16 - fg) fb, fg (16 - fb), fg fb and summed in
// pairs by pmaddwd into 32-bit lanes (4080 x 256 fits a signed one). Both
// stages are exact, so the sum and its >> 12 are MapThroughTable's. The MMX
// registers are the x87 ones: every row ends with emms.
//
// The prepared table: per lattice node three quadwords of 16-bit lanes, 16 e
// and the difference to the node one red step up (0 on the top plane, which
// is never a cell's lower side), each as blue, green, red, 0 (the table's
// channels reversed, so that the packed result is a DIB pixel), and a
// quadword of padding that makes a node 24 bytes: CellNode's index times 8
// addresses it, so the kept cells serve this kernel as they serve the FPU one.
constexpr int MmxNodeQuads = 3;
constexpr size_t MmxNodes = size_t{RdtGrid} * RdtGrid * RdtGrid;

// A node's three bytes reversed, e[2] | e[1] << 8 | e[0] << 16, from one
// load of four (not at the table's last node).
inline uint32_t Reversed(const uint8_t* e) {
    uint32_t v;
    std::memcpy(&v, e, 4);
    return __builtin_bswap32(v) >> 8;
}

// One node of the prepared table from its reversed bytes and those of the
// node one red step up (the same on the top plane). The padding stays
// unwritten: nothing reads it.
__attribute__((target("mmx"))) inline void MmxNode(__m64* q, uint32_t e, uint32_t up) {
    const __m64 zero = _mm_setzero_si64();
    const __m64 lower = _mm_unpacklo_pi8(_mm_cvtsi32_si64(static_cast<int>(e)), zero);
    q[0] = _mm_slli_pi16(lower, 4);
    q[1] = _mm_sub_pi16(_mm_unpacklo_pi8(_mm_cvtsi32_si64(static_cast<int>(up)), zero), lower);
}

// Four bytes are loaded for every node but the table's last one, which is
// also the upper node of the plane below's last.
__attribute__((target("mmx"))) void PrepareMmx(const uint8_t* rdt, __m64* q) {
    constexpr size_t NextR = RdtGrid * RdtGrid * 3, TopPlane = (RdtGrid - 1) * NextR, Last = RdtBytes - 3;
    const uint32_t last = rdt[Last + 2] | rdt[Last + 1] << 8 | rdt[Last] << 16;
    size_t at = 0;
    for (; at < TopPlane - 3; at += 3, q += MmxNodeQuads) MmxNode(q, Reversed(rdt + at), Reversed(rdt + at + NextR));
    MmxNode(q, Reversed(rdt + at), last);
    for (at += 3, q += MmxNodeQuads; at < Last; at += 3, q += MmxNodeQuads)
        MmxNode(q, Reversed(rdt + at), Reversed(rdt + at));
    MmxNode(q, last, last);
    _mm_empty();
}

struct alignas(8) MmxLanes {
    int16_t v[4];
};

// Per fraction, the fraction in four lanes.
constexpr std::array<MmxLanes, 16> MmxRed = [] {
    std::array<MmxLanes, 16> w{};
    for (int f = 0; f < 16; ++f) w[f] = {{int16_t(f), int16_t(f), int16_t(f), int16_t(f)}};
    return w;
}();

// Indexed by fg << 4 | fb: the weights of the lower green row's two corners
// and of the upper one's, each pair twice, as pmaddwd takes them.
struct alignas(8) MmxCorners {
    MmxLanes Lower, Upper;
};

constexpr std::array<MmxCorners, 256> MmxGreenBlue = [] {
    std::array<MmxCorners, 256> w{};
    for (int fg = 0; fg < 16; ++fg) {
        for (int fb = 0; fb < 16; ++fb) {
            const int16_t w00 = int16_t((16 - fg) * (16 - fb)), w01 = int16_t((16 - fg) * fb);
            const int16_t w10 = int16_t(fg * (16 - fb)), w11 = int16_t(fg * fb);
            w[fg << 4 | fb] = {{{w00, w01, w00, w01}}, {{w10, w11, w10, w11}}};
        }
    }
    return w;
}();

__attribute__((target("mmx"))) inline __m64 LoadLanes(const MmxLanes& l) {
    return *reinterpret_cast<const __m64*>(l.v);
}

// One green-blue corner of a cell, interpolated along red: 16 lower + fr (upper - lower).
__attribute__((target("mmx"))) inline __m64 MmxRedSide(const __m64* node, __m64 fr) {
    return _mm_add_pi16(node[0], _mm_mullo_pi16(node[1], fr));
}

// A pixel whose cell's lower node is at `node`, as blue | green << 8 | red << 16.
__attribute__((target("mmx"))) inline uint32_t MmxPixel(const __m64* node, const MmxLanes& fr,
                                                        const MmxCorners& w) {
    constexpr int NextB = MmxNodeQuads, NextG = RdtGrid * MmxNodeQuads;
    const __m64 f = LoadLanes(fr);
    const __m64 v00 = MmxRedSide(node, f), v01 = MmxRedSide(node + NextB, f);
    const __m64 v10 = MmxRedSide(node + NextG, f), v11 = MmxRedSide(node + NextG + NextB, f);
    const __m64 wLower = LoadLanes(w.Lower), wUpper = LoadLanes(w.Upper);
    const __m64 blueGreen = _mm_add_pi32(_mm_madd_pi16(_mm_unpacklo_pi16(v00, v01), wLower),
                                         _mm_madd_pi16(_mm_unpacklo_pi16(v10, v11), wUpper));
    const __m64 red = _mm_add_pi32(_mm_madd_pi16(_mm_unpackhi_pi16(v00, v01), wLower),
                                   _mm_madd_pi16(_mm_unpackhi_pi16(v10, v11), wUpper));
    const __m64 words = _mm_packs_pi32(_mm_srli_pi32(blueGreen, 12), _mm_srli_pi32(red, 12));
    return static_cast<uint32_t>(_mm_cvtsi64_si32(_mm_packs_pu16(words, words)));
}

template <bool Bgr>
__attribute__((target("mmx"))) void MapRowMmx(const uint8_t*, const void* prepared, const uint8_t* src,
                                               uint8_t* dst, size_t pixels) {
    constexpr int R = Bgr ? 2 : 0;
    constexpr int B = Bgr ? 0 : 2;
    const __m64* table = static_cast<const __m64*>(prepared);
    for (size_t i = 0; i < pixels; ++i, src += 3, dst += 3) {
        const unsigned r = src[R], g = src[1], b = src[B];
        uint32_t v = MmxPixel(table + CellNode(r, g, b), MmxRed[r & 15u], MmxGreenBlue[(g & 15u) << 4 | (b & 15u)]);
        if (!Bgr) v = __builtin_bswap32(v) >> 8;
        std::memcpy(dst, &v, 3);  // three bytes: in place, the next pixel is still to be read
    }
    _mm_empty();
}

__attribute__((target("mmx"))) inline uint32_t MmxCell(const __m64* table, uint32_t c) {
    return MmxPixel(table + (c >> 12), MmxRed[(c >> 8) & 15u], MmxGreenBlue[c & 255u]);
}

// Blue-first pixels from their kept cells (MapCells), Step bytes apart: a
// row (3) or the colors of a picture (4). Each pixel's four bytes go out
// whole but a row's last one's: the fourth is the next pixel's first,
// written after it, and the source is not read again.
template <size_t Step>
__attribute__((target("mmx"))) void MapCellsMmx(const __m64* table, const uint32_t* cells, uint8_t* dst,
                                                size_t pixels) {
    if (pixels == 0) return;
    for (const uint32_t* last = cells + pixels - 1; cells != last; ++cells, dst += Step) {
        const uint32_t v = MmxCell(table, *cells);
        std::memcpy(dst, &v, 4);
    }
    const uint32_t v = MmxCell(table, *cells);
    std::memcpy(dst, &v, Step);
    _mm_empty();
}

// Byte shuffle that takes channel `offset` of four packed 24-bit pixels into
// the low byte of four 32-bit lanes; `first` is the byte of the first pixel.
struct ShuffleMask {
    int8_t bytes[16];
};

constexpr ShuffleMask ChannelMask(int first, int offset) {
    ShuffleMask m{};
    for (int j = 0; j < 4; ++j) {
        m.bytes[4 * j] = static_cast<int8_t>(first + 3 * j + offset);
        m.bytes[4 * j + 1] = m.bytes[4 * j + 2] = m.bytes[4 * j + 3] = -128;
    }
    return m;
}

// Four 32-bit lanes of (c0 | c1 << 8 | c2 << 16) back to 12 packed bytes.
constexpr ShuffleMask PackMask() {
    ShuffleMask m{};
    for (int j = 0; j < 4; ++j) {
        m.bytes[3 * j] = static_cast<int8_t>(4 * j);
        m.bytes[3 * j + 1] = static_cast<int8_t>(4 * j + 1);
        m.bytes[3 * j + 2] = static_cast<int8_t>(4 * j + 2);
    }
    for (int k = 12; k < 16; ++k) m.bytes[k] = -128;
    return m;
}

__attribute__((target("sse4.1"))) inline __m128i LoadMask128(const ShuffleMask& m) {
    return _mm_loadu_si128(reinterpret_cast<const __m128i*>(m.bytes));
}

template <bool Bgr>
__attribute__((target("sse4.1"))) void MapRowSse41(const uint8_t* table, const void* prepared, const uint8_t* src,
                                                   uint8_t* dst, size_t pixels) {
    const uint32_t* quads = static_cast<const uint32_t*>(prepared);
    static constexpr ShuffleMask RedMask = ChannelMask(0, Bgr ? 2 : 0);
    static constexpr ShuffleMask GreenMask = ChannelMask(0, 1);
    static constexpr ShuffleMask BlueMask = ChannelMask(0, Bgr ? 0 : 2);
    static constexpr ShuffleMask Pack = PackMask();
    const __m128i redMask = LoadMask128(RedMask), greenMask = LoadMask128(GreenMask);
    const __m128i blueMask = LoadMask128(BlueMask), pack = LoadMask128(Pack);
    const __m128i fifteen = _mm_set1_epi32(15), sixteen = _mm_set1_epi32(16);

    size_t i = 0;
    for (; i + 4 <= pixels; i += 4, src += 12, dst += 12) {
        int32_t tail;
        std::memcpy(&tail, src + 8, 4);
        const __m128i px = _mm_insert_epi32(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(src)), tail, 2);
        const __m128i r = _mm_shuffle_epi8(px, redMask);
        const __m128i g = _mm_shuffle_epi8(px, greenMask);
        const __m128i b = _mm_shuffle_epi8(px, blueMask);
        const __m128i fr = _mm_and_si128(r, fifteen), fg = _mm_and_si128(g, fifteen), fb = _mm_and_si128(b, fifteen);
        // node = ri << 8 | gi << 4 | bi, where gi << 4 is g without its fraction.
        const __m128i node = _mm_or_si128(_mm_or_si128(_mm_slli_epi32(_mm_srli_epi32(r, 4), 8), _mm_sub_epi32(g, fg)),
                                          _mm_srli_epi32(b, 4));
        const __m128i node3 = _mm_add_epi32(node, _mm_add_epi32(node, node));

        // Blue weights as bytes (16 - fb, fb, 16 - fb, fb); green x red as 16-bit pairs.
        const __m128i wbPair = _mm_add_epi32(sixteen, _mm_sub_epi32(_mm_slli_epi32(fb, 8), fb));
        const __m128i wb = _mm_or_si128(wbPair, _mm_slli_epi32(wbPair, 16));
        const __m128i wg = _mm_or_si128(_mm_sub_epi32(sixteen, fg), _mm_slli_epi32(fg, 16));
        const __m128i wr0 = _mm_sub_epi32(sixteen, fr);
        const __m128i wLow = _mm_mullo_epi16(wg, _mm_or_si128(wr0, _mm_slli_epi32(wr0, 16)));
        const __m128i wHigh = _mm_mullo_epi16(wg, _mm_or_si128(fr, _mm_slli_epi32(fr, 16)));

        alignas(16) uint32_t at[4];
        _mm_store_si128(reinterpret_cast<__m128i*>(at), node3);
        __m128i result[3];
        for (int c = 0; c < 3; ++c) {
            const uint32_t* lo = quads + c;
            const uint32_t* hi = quads + QuadPlane + c;
            const __m128i a = _mm_setr_epi32(static_cast<int>(lo[at[0]]), static_cast<int>(lo[at[1]]),
                                             static_cast<int>(lo[at[2]]), static_cast<int>(lo[at[3]]));
            const __m128i h = _mm_setr_epi32(static_cast<int>(hi[at[0]]), static_cast<int>(hi[at[1]]),
                                             static_cast<int>(hi[at[2]]), static_cast<int>(hi[at[3]]));
            const __m128i sum = _mm_add_epi32(_mm_madd_epi16(_mm_maddubs_epi16(a, wb), wLow),
                                              _mm_madd_epi16(_mm_maddubs_epi16(h, wb), wHigh));
            result[c] = _mm_srli_epi32(sum, 12);
        }
        const __m128i first = result[Bgr ? 2 : 0], last = result[Bgr ? 0 : 2];
        const __m128i packed = _mm_shuffle_epi8(
            _mm_or_si128(_mm_or_si128(first, _mm_slli_epi32(result[1], 8)), _mm_slli_epi32(last, 16)), pack);
        _mm_storel_epi64(reinterpret_cast<__m128i*>(dst), packed);
        const int32_t rest = _mm_extract_epi32(packed, 2);
        std::memcpy(dst + 8, &rest, 4);
    }
    MapRowScalar<Bgr>(table, prepared, src, dst, pixels - i);
}

__attribute__((target("avx2"))) inline __m256i LoadMask256(const ShuffleMask& low, const ShuffleMask& high) {
    return _mm256_inserti128_si256(
        _mm256_castsi128_si256(_mm_loadu_si128(reinterpret_cast<const __m128i*>(low.bytes))),
        _mm_loadu_si128(reinterpret_cast<const __m128i*>(high.bytes)), 1);
}

template <bool Bgr>
__attribute__((target("avx2"))) void MapRowAvx2(const uint8_t* table, const void* prepared, const uint8_t* src,
                                                uint8_t* dst, size_t pixels) {
    const uint32_t* quads = static_cast<const uint32_t*>(prepared);
    // Eight pixels are 24 bytes: the low lane loads bytes 0..15 (pixels 0..3
    // at 0), the high lane bytes 8..23 (pixels 4..7 at 4). No byte beyond the
    // eight pixels is read or written.
    static constexpr ShuffleMask RedLow = ChannelMask(0, Bgr ? 2 : 0), RedHigh = ChannelMask(4, Bgr ? 2 : 0);
    static constexpr ShuffleMask GreenLow = ChannelMask(0, 1), GreenHigh = ChannelMask(4, 1);
    static constexpr ShuffleMask BlueLow = ChannelMask(0, Bgr ? 0 : 2), BlueHigh = ChannelMask(4, Bgr ? 0 : 2);
    static constexpr ShuffleMask Pack = PackMask();
    const __m256i redMask = LoadMask256(RedLow, RedHigh), greenMask = LoadMask256(GreenLow, GreenHigh);
    const __m256i blueMask = LoadMask256(BlueLow, BlueHigh), pack = LoadMask256(Pack, Pack);
    const __m256i joinLanes = _mm256_setr_epi32(0, 1, 2, 4, 5, 6, 7, 7);
    const __m256i fifteen = _mm256_set1_epi32(15), sixteen = _mm256_set1_epi32(16);
    const int* loQuads = reinterpret_cast<const int*>(quads);
    const int* hiQuads = reinterpret_cast<const int*>(quads + QuadPlane);

    size_t i = 0;
    for (; i + 8 <= pixels; i += 8, src += 24, dst += 24) {
        const __m256i px = _mm256_inserti128_si256(
            _mm256_castsi128_si256(_mm_loadu_si128(reinterpret_cast<const __m128i*>(src))),
            _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + 8)), 1);
        const __m256i r = _mm256_shuffle_epi8(px, redMask);
        const __m256i g = _mm256_shuffle_epi8(px, greenMask);
        const __m256i b = _mm256_shuffle_epi8(px, blueMask);
        const __m256i fr = _mm256_and_si256(r, fifteen), fg = _mm256_and_si256(g, fifteen);
        const __m256i fb = _mm256_and_si256(b, fifteen);
        const __m256i node = _mm256_or_si256(
            _mm256_or_si256(_mm256_slli_epi32(_mm256_srli_epi32(r, 4), 8), _mm256_sub_epi32(g, fg)),
            _mm256_srli_epi32(b, 4));
        const __m256i node3 = _mm256_add_epi32(node, _mm256_add_epi32(node, node));

        const __m256i wbPair = _mm256_add_epi32(sixteen, _mm256_sub_epi32(_mm256_slli_epi32(fb, 8), fb));
        const __m256i wb = _mm256_or_si256(wbPair, _mm256_slli_epi32(wbPair, 16));
        const __m256i wg = _mm256_or_si256(_mm256_sub_epi32(sixteen, fg), _mm256_slli_epi32(fg, 16));
        const __m256i wr0 = _mm256_sub_epi32(sixteen, fr);
        const __m256i wLow = _mm256_mullo_epi16(wg, _mm256_or_si256(wr0, _mm256_slli_epi32(wr0, 16)));
        const __m256i wHigh = _mm256_mullo_epi16(wg, _mm256_or_si256(fr, _mm256_slli_epi32(fr, 16)));

        __m256i result[3];
        for (int c = 0; c < 3; ++c) {
            const __m256i a = _mm256_i32gather_epi32(loQuads + c, node3, 4);
            const __m256i h = _mm256_i32gather_epi32(hiQuads + c, node3, 4);
            const __m256i sum = _mm256_add_epi32(_mm256_madd_epi16(_mm256_maddubs_epi16(a, wb), wLow),
                                                 _mm256_madd_epi16(_mm256_maddubs_epi16(h, wb), wHigh));
            result[c] = _mm256_srli_epi32(sum, 12);
        }
        const __m256i first = result[Bgr ? 2 : 0], last = result[Bgr ? 0 : 2];
        const __m256i lanes = _mm256_shuffle_epi8(
            _mm256_or_si256(_mm256_or_si256(first, _mm256_slli_epi32(result[1], 8)), _mm256_slli_epi32(last, 16)),
            pack);
        const __m256i joined = _mm256_permutevar8x32_epi32(lanes, joinLanes);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(dst), _mm256_castsi256_si128(joined));
        _mm_storel_epi64(reinterpret_cast<__m128i*>(dst + 16), _mm256_extracti128_si256(joined, 1));
    }
    MapRowSse41<Bgr>(table, prepared, src, dst, pixels - i);
}

#endif  // QV_X86

inline uint32_t PixelCell(const uint8_t* p) {
    const unsigned r = p[2], g = p[1], b = p[0];
    return CellNode(r, g, b) << 12 | (r & 15u) << 8 | (g & 15u) << 4 | (b & 15u);
}

// The cells of the pixels from the first-th on, one a pixel.
void MakePixelCells(const uint8_t* src, ptrdiff_t srcStride, size_t width, size_t height, size_t first,
                    uint32_t* c) {
    src += static_cast<ptrdiff_t>(first / width) * srcStride;
    for (size_t y = first / width, x = first % width; y < height; ++y, x = 0, src += srcStride) {
        for (const uint8_t* p = src + 3 * x; x < width; ++x, p += 3) *c++ = PixelCell(p);
    }
}

// Each distinct color's cell once in `cells` (sized `limit`, at most
// MapCells::MaxColors), in order of appearance, and per pixel its index in
// `colors`: how many pixels got one, all of them unless there are more
// colors than `limit` or, once a quarter of the pixels are seen, more than
// seven in eight of those (noise, which would fill the table only to be
// dropped). A cell word stands for one color; the words are found
// through an open-addressed table, at most half full, of their indices plus
// one (0: free), slotted by Fibonacci hashing.
size_t FindColors(const uint8_t* src, ptrdiff_t srcStride, size_t width, size_t height, size_t limit,
                  uint32_t* cells, uint16_t* colors, size_t& count) {
    unsigned bits = 1;
    while ((size_t{1} << bits) < 2 * limit) ++bits;
    std::vector<uint16_t> slots(size_t{1} << bits);
    const uint32_t mask = (uint32_t{1} << bits) - 1;
    const unsigned shift = 32 - bits;
    const size_t pixels = width * height;
    uint16_t* at = colors;
    count = 0;
    for (size_t y = 0; y < height; ++y, src += srcStride) {
        const uint8_t* p = src;
        for (size_t x = 0; x < width; ++x, p += 3, ++at) {
            const uint32_t v = PixelCell(p);
            for (uint32_t s = (v * 0x9E3779B1u) >> shift;; s = (s + 1) & mask) {
                const unsigned k = slots[s];
                if (k == 0) {
                    if (count == limit) return static_cast<size_t>(at - colors);
                    cells[count] = v;
                    slots[s] = static_cast<uint16_t>(++count);
                    *at = static_cast<uint16_t>(count - 1);
                    break;
                }
                if (cells[k - 1] == v) {
                    *at = static_cast<uint16_t>(k - 1);
                    break;
                }
            }
        }
        const size_t seen = (y + 1) * width;
        if (4 * seen >= pixels && 8 * count > 7 * seen) return seen;
    }
    return pixels;
}

// A cell per color and per pixel its color (true), or a cell per pixel.
bool MakeCells(const uint8_t* src, ptrdiff_t srcStride, size_t width, size_t height, size_t limit,
               std::vector<uint32_t>& cells, std::vector<uint16_t>& colors) {
    const size_t pixels = width * height;
    cells.resize(limit);
    colors.resize(pixels);
    size_t count;
    const size_t done = FindColors(src, srcStride, width, height, limit, cells.data(), colors.data(), count);
    if (done == pixels) {
        cells.resize(count);
        cells.shrink_to_fit();
        return true;
    }
    // The pixels so far take their colors' cells, the rest their own.
    std::vector<uint32_t> each(pixels);
    for (size_t i = 0; i < done; ++i) each[i] = cells[colors[i]];
    MakePixelCells(src, srcStride, width, height, done, each.data() + done);
    cells.swap(each);
    std::vector<uint16_t>().swap(colors);
    return false;
}

// A row from its pixels' colors and the colors' mapped pixels (four bytes
// each), written as MapCellsMmx writes a row.
void SpreadColors(const uint32_t* mapped, const uint16_t* colors, uint8_t* dst, size_t pixels) {
    if (pixels == 0) return;
    size_t i = 0;
    for (; i + 4 < pixels; i += 4, dst += 12) {  // four at a time: a loop's count and step for four pixels
        std::memcpy(dst, &mapped[colors[i]], 4);
        std::memcpy(dst + 3, &mapped[colors[i + 1]], 4);
        std::memcpy(dst + 6, &mapped[colors[i + 2]], 4);
        std::memcpy(dst + 9, &mapped[colors[i + 3]], 4);
    }
    for (; i + 1 < pixels; ++i, dst += 3) std::memcpy(dst, &mapped[colors[i]], 4);
    std::memcpy(dst, &mapped[colors[i]], 3);
}

#if defined(__i386__)
bool g_vectorRegistersSaved = false;
#else
bool g_vectorRegistersSaved = true;
#endif

}  // namespace

void SetVectorRegistersSaved(bool saved) {
#if defined(__i386__)
    g_vectorRegistersSaved = saved;
#else
    (void)saved;
#endif
}

bool MapKernelSupported(MapKernel kernel) {
    switch (kernel) {
    case MapKernel::Scalar:
    case MapKernel::Fpu:
        return true;
#if QV_X86
    case MapKernel::Mmx:
        __builtin_cpu_init();
        return __builtin_cpu_supports("mmx");
    case MapKernel::Sse41:
        __builtin_cpu_init();
        return g_vectorRegistersSaved && __builtin_cpu_supports("sse4.1");
    case MapKernel::Avx2:
        __builtin_cpu_init();
        return g_vectorRegistersSaved && __builtin_cpu_supports("avx2") && __builtin_cpu_supports("sse4.1");
#endif
    default:
        return false;
    }
}

namespace {

// The Pentium (family 5, with or without MMX): a slow integer multiply.
bool SlowIntegerMultiply() {
#if defined(__i386__)
    unsigned a, b, c, d;
    return __get_cpuid(1, &a, &b, &c, &d) && ((a >> 8) & 15u) == 5;
#else
    return false;
#endif
}

}  // namespace

MapKernel BestMapKernel() {
    static const MapKernel plain = SlowIntegerMultiply() ? MapKernel::Fpu : MapKernel::Scalar;
    return MapKernelSupported(MapKernel::Avx2)    ? MapKernel::Avx2
           : MapKernelSupported(MapKernel::Sse41) ? MapKernel::Sse41
           : MapKernelSupported(MapKernel::Mmx)   ? MapKernel::Mmx
                                                  : plain;
}

const char* MapKernelName(MapKernel kernel) {
    switch (kernel) {
    case MapKernel::Avx2:
        return "avx2";
    case MapKernel::Sse41:
        return "sse4.1";
    case MapKernel::Mmx:
        return "mmx";
    case MapKernel::Fpu:
        return "fpu";
    default:
        return "scalar";
    }
}

RdtMapper::RdtMapper(const uint8_t* rdt, MapKernel kernel)
    : kernel_(MapKernelSupported(kernel) ? kernel : BestMapKernel()) {
    std::memcpy(table_, rdt, RdtBytes);
    rgb_ = MapRowScalar<false>;
    bgr_ = MapRowScalar<true>;
    if (kernel_ == MapKernel::Scalar) return;  // the plain kernel reads the table itself
    if (kernel_ == MapKernel::Fpu) {
        PrepareFpuTable(rdt, wide_);
        rgb_ = MapRowFpu<false>;
        bgr_ = MapRowFpu<true>;
        return;
    }
#if QV_X86
    if (kernel_ == MapKernel::Mmx) {
        lanes_.reset(new uint64_t[MmxNodes * MmxNodeQuads]);
        PrepareMmx(rdt, reinterpret_cast<__m64*>(lanes_.get()));
        rgb_ = MapRowMmx<false>;
        bgr_ = MapRowMmx<true>;
        return;
    }
#endif

    quads_.resize(static_cast<size_t>(RdtGrid) * QuadPlane);
    auto entry = [rdt](int ri, int gi, int bi, int c) -> uint32_t { return rdt[((ri * 17 + gi) * 17 + bi) * 3 + c]; };
    uint32_t* q = quads_.data();
    for (int ri = 0; ri < RdtGrid; ++ri) {
        for (int gi = 0; gi < 16; ++gi) {
            for (int bi = 0; bi < 16; ++bi) {
                for (int c = 0; c < 3; ++c) {
                    *q++ = entry(ri, gi, bi, c) | entry(ri, gi, bi + 1, c) << 8 | entry(ri, gi + 1, bi, c) << 16 |
                           entry(ri, gi + 1, bi + 1, c) << 24;
                }
            }
        }
    }
    switch (kernel_) {
#if QV_X86
    case MapKernel::Avx2:
        rgb_ = MapRowAvx2<false>;
        bgr_ = MapRowAvx2<true>;
        break;
    case MapKernel::Sse41:
        rgb_ = MapRowSse41<false>;
        bgr_ = MapRowSse41<true>;
        break;
#endif
    default:
        break;
    }
}

void RdtMapper::MapRgb(const uint8_t* src, uint8_t* dst, size_t pixels) const {
    rgb_(table_, Prepared(), src, dst, pixels);
}

void RdtMapper::MapBgrRows(const uint8_t* src, ptrdiff_t srcStride, uint8_t* dst, ptrdiff_t dstStride, size_t width,
                           size_t height) const {
    const void* prepared = Prepared();
    for (size_t y = 0; y < height; ++y, src += srcStride, dst += dstStride) bgr_(table_, prepared, src, dst, width);
}

void RdtMapper::MapBgrRows(const uint8_t* src, ptrdiff_t srcStride, uint8_t* dst, ptrdiff_t dstStride, size_t width,
                           size_t height, MapCells& cells) const {
    const size_t pixels = width * height;
    const bool kept = kernel_ == MapKernel::Fpu || kernel_ == MapKernel::Mmx;
    if (!kept || pixels == 0 || pixels > MapCells::MaxPixels || width != pixels / height) {
        MapBgrRows(src, srcStride, dst, dstStride, width, height);
        return;
    }
    if (cells.width_ != width || cells.height_ != height) {
        cells.Clear();
        try {
            const size_t limit = std::min(pixels - pixels / 8, MapCells::MaxColors);
            if (MakeCells(src, srcStride, width, height, limit, cells.cells_, cells.colors_))
                cells.mapped_.resize(cells.cells_.size());
        } catch (const std::bad_alloc&) {
            cells.Clear();
            MapBgrRows(src, srcStride, dst, dstStride, width, height);
            return;
        }
        cells.width_ = width;
        cells.height_ = height;
    }
    const bool byColor = !cells.colors_.empty();
    const uint32_t* c = cells.cells_.data();
    uint8_t* mapped = reinterpret_cast<uint8_t*>(cells.mapped_.data());
#if QV_X86
    if (kernel_ == MapKernel::Mmx) {
        const __m64* table = static_cast<const __m64*>(Prepared());
        if (byColor)
            MapCellsMmx<4>(table, c, mapped, cells.cells_.size());
        else
            for (size_t y = 0; y < height; ++y, c += width, dst += dstStride) MapCellsMmx<3>(table, c, dst, width);
    } else
#endif
    {
        if (byColor)
            MapCellsFpu<4>(wide_.data(), c, mapped, cells.cells_.size());
        else
            for (size_t y = 0; y < height; ++y, c += width, dst += dstStride)
                MapCellsFpu<3>(wide_.data(), c, dst, width);
    }
    if (!byColor) return;
    const uint16_t* color = cells.colors_.data();
    for (size_t y = 0; y < height; ++y, color += width, dst += dstStride)
        SpreadColors(cells.mapped_.data(), color, dst, width);
}

void MapRgbThroughRdt(const uint8_t* src, uint8_t* dst, size_t pixels) {
    RdtMapper(CurrentRdt()).MapRgb(src, dst, pixels);
}
