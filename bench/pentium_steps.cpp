// The preview's work on a Pentium, one operation per run, for exact
// instruction counts: the engine compiled as the 32-bit build compiles it
// (-march=pentium, x87 arithmetic), as an i386 Linux program that qemu runs
// with an execution trace. The operation runs between QvCountBegin and
// QvCountEnd; pentium_tally counts what the trace shows between them.
//
//   pentium_steps OPERATION SAMPLE.BMP SWATCH.BMP
//
// The state before each operation is the one the preview has when the user
// moves a slider: the table of the previous values built, the sample loaded.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

#include "engine/color_engine.h"
#include "engine/engine_math.h"
#include "engine/make_rdt.h"
#include "engine/rdt_mapper.h"
#include "tests/engine/reference_chain.h"

extern "C" __attribute__((noinline, noipa)) void QvCountBegin() {
    __asm__ __volatile__("" ::: "memory");
}

extern "C" __attribute__((noinline, noipa)) void QvCountEnd() {
    __asm__ __volatile__("nop" ::: "memory");
}

namespace {

// A bottom-up 24-bit DIB as the preview keeps it: rows padded to 4 bytes.
struct Picture {
    int Width = 0, Height = 0;
    ptrdiff_t Stride = 0;
    std::vector<uint8_t> Bits, Mapped;
    MapCells Cells;  // kept from the previous drawing, as the preview keeps them
};

bool ReadPicture(const char* path, Picture& p) {
    std::FILE* f = std::fopen(path, "rb");
    if (!f) return false;
    uint8_t head[54];
    bool ok = std::fread(head, 1, sizeof head, f) == sizeof head && head[0] == 'B' && head[1] == 'M' &&
              head[28] == 24;
    if (ok) {
        auto word = [&head](int at) {
            return int32_t(head[at] | head[at + 1] << 8 | head[at + 2] << 16 | head[at + 3] << 24);
        };
        p.Width = word(18);
        p.Height = word(22);
        p.Stride = (p.Width * 3 + 3) & ~3;
        p.Bits.resize(static_cast<size_t>(p.Stride) * p.Height);
        p.Mapped.resize(p.Bits.size());
        ok = p.Width > 0 && p.Height > 0 && std::fseek(f, word(10), SEEK_SET) == 0 &&
             std::fread(p.Bits.data(), 1, p.Bits.size(), f) == p.Bits.size();
    }
    std::fclose(f);
    return ok;
}

Picture g_sample, g_swatch;

// Working values of the sheet before the step: brightness, saturation,
// contrast and balance all away from neutral.
constexpr ColorAdjustment Before = {0, 1, 2, 1, 0, 1, -1, 2};

ColorAdjustment With(ColorAdjustment c, int32_t ColorAdjustment::*field, int32_t delta) {
    c.*field += delta;
    return c;
}

// One redraw of sample and swatch, as the preview does it: a mapper for the
// table just built, with the kernel that a Pentium without MMX gets (the FPU
// one), the MMX one that the Pentium MMX and II get, or the integer one that
// the Pentium Pro gets, from the cells kept since the previous drawing.
template <MapKernel Kernel = MapKernel::Fpu>
void MapPreview() {
    const RdtMapper mapper(CurrentRdt(), Kernel);
    for (Picture* p : {&g_sample, &g_swatch}) {
        const uint8_t* last = p->Bits.data() + (p->Height - 1) * p->Stride;
        uint8_t* lastOut = p->Mapped.data() + (p->Height - 1) * p->Stride;
        mapper.MapBgrRows(last, -p->Stride, lastOut, -p->Stride, p->Width, p->Height, p->Cells);
    }
}

// The state before a step: the previous values' table built and drawn.
void Drawn() {
    BuildRdt(Before);
    MapPreview();
}

// The first drawing of a picture: its cells are worked out as well.
void Loaded() {
    BuildRdt(Before);
    for (Picture* p : {&g_sample, &g_swatch}) p->Cells.Clear();
}

// The sheet of an engineer of the time: the chain node by node with the C
// library's pow, and every pixel through the table formula.
double LibraryPow(double x, double y) {
    return std::pow(x, y);
}

void LiteralPreview(const ColorAdjustment& c) {
    static uint8_t table[RdtBytes];
    reference::BuildTable<LibraryPow>(c, table);
    for (Picture* p : {&g_sample, &g_swatch}) {
        for (int y = 0; y < p->Height; ++y) {
            const uint8_t* s = p->Bits.data() + y * p->Stride;
            uint8_t* d = p->Mapped.data() + y * p->Stride;
            for (int x = 0; x < p->Width; ++x, s += 3, d += 3)
                MapThroughTable(table, s[2], s[1], s[0], &d[2], &d[1], &d[0]);
        }
    }
}

struct Operation {
    const char* Name;
    void (*Prepare)();
    void (*Run)();
};

uint8_t g_out[RdtBytes];

const Operation Operations[] = {
    {"contrast_step", Drawn,
     [] {
         BuildRdt(With(Before, &ColorAdjustment::Contrast, 1));
         MapPreview();
     }},
    {"balance_step", Drawn,
     [] {
         BuildRdt(With(Before, &ColorAdjustment::CyanRed, 1));
         MapPreview();
     }},
    {"build_contrast", [] { BuildRdt(Before); }, [] { BuildRdt(With(Before, &ColorAdjustment::Contrast, 1)); }},
    {"build_balance", [] { BuildRdt(Before); }, [] { BuildRdt(With(Before, &ColorAdjustment::CyanRed, 1)); }},
    {"map_preview", Drawn, MapPreview<>},
    {"map_preview_first", Loaded, MapPreview<>},
    {"map_preview_mmx", [] {
         BuildRdt(Before);
         MapPreview<MapKernel::Mmx>();
     },
     MapPreview<MapKernel::Mmx>},
    {"map_preview_int", [] { BuildRdt(Before); }, MapPreview<MapKernel::Scalar>},
    // A table for the printer: nothing of the last build carries over.
    {"make_rdt", [] { BuildRdt(With(With(Before, &ColorAdjustment::MagentaGreen, 3), &ColorAdjustment::YellowBlue, -2)); },
     [] {
         const ColorAdjustment c = With(Before, &ColorAdjustment::Bright, 3);
         MakeRdt(&c, g_out);
     }},
    {"literal_step", [] {}, [] { LiteralPreview(With(Before, &ColorAdjustment::Contrast, 1)); }},
};

}  // namespace

int main(int argc, char** argv) {
    if (argc == 2 && std::strcmp(argv[1], "--list") == 0) {
        for (const Operation& op : Operations) std::printf("%s\n", op.Name);
        return 0;
    }
    if (argc != 4 || !ReadPicture(argv[2], g_sample) || !ReadPicture(argv[3], g_swatch)) {
        std::fprintf(stderr, "usage: pentium_steps --list | OPERATION SAMPLE.BMP SWATCH.BMP\n");
        return 2;
    }
    for (const Operation& op : Operations) {
        if (std::strcmp(op.Name, argv[1]) != 0) continue;
        op.Prepare();
        QvCountBegin();
        op.Run();
        QvCountEnd();
        // Something of the result, so that nothing is left out.
        std::printf("%u %u\n", CurrentRdt()[RdtBytes / 2] + g_out[RdtBytes / 3],
                    g_sample.Mapped[g_sample.Mapped.size() / 2]);
        return 0;
    }
    std::fprintf(stderr, "pentium_steps: no operation %s\n", argv[1]);
    return 2;
}
