// Maps whole images through a rendering data table, with results identical to
// MapThroughTable for every color. Uses AVX2, SSE4.1 or MMX when the processor
// has them (chosen at run time), plain C++ otherwise: on the FPU for the
// Pentium, whose integer multiply is slow, in integers for the rest.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "ui/common/records.h"

enum class MapKernel { Scalar, Fpu, Sse41, Avx2, Mmx };

// Whether the system saves the vector registers when it switches tasks: the
// processor's bits alone do not say it (Windows 95 runs processors with SSE
// without saving their registers). Always so on 64-bit; on 32-bit x86 the
// vector kernels stay off until the Windows side has asked the system. MMX
// needs no such answer: its registers are the x87 ones, which every system
// saves.
void SetVectorRegistersSaved(bool saved);

bool MapKernelSupported(MapKernel kernel);
MapKernel BestMapKernel();
const char* MapKernelName(MapKernel kernel);

// A picture's lattice cells and interpolation weights, worked out on its
// first mapping and kept for the next table: the preview maps the same
// picture through every new table, and on the FPU and MMX kernels finding a
// pixel's cell and weights is a fifth of their work or more. The other
// kernels do not use them.
//
// A picture with at most seven distinct colors in eight pixels (and at most
// MaxColors) keeps each color's cell once and, per pixel, which color it is:
// a mapping runs the kernel over the colors alone and copies each result to
// its pixels (about six instructions a pixel, against 45 for the MMX kernel
// and 87 for the FPU one). That costs two bytes a pixel and eight a color:
// at most nine bytes a pixel, and at most two a pixel and 512 KB; working
// the colors out takes up to 256 KB more for a moment.
// Any other picture (or one whose first quarter is nearly all distinct
// colors) keeps a cell per pixel, four bytes a pixel. Pictures above
// MaxPixels, or whose cells cannot be allocated, are mapped without.
class MapCells {
public:
    static constexpr size_t MaxPixels = size_t{1} << 20;
    static constexpr size_t MaxColors = 65535;

    // The source pixels changed: the next mapping works the cells out again.
    // Their memory is released.
    void Clear() { *this = MapCells(); }

private:
    friend class RdtMapper;
    // node << 12 | fr << 8 | fg << 4 | fb (node in floats), one for each
    // distinct color where colors_ is filled, one for each pixel otherwise.
    std::vector<uint32_t> cells_;
    std::vector<uint16_t> colors_;  // per pixel, its color's index in cells_
    std::vector<uint32_t> mapped_;  // per color, its pixel as the last table maps it (blue first)
    size_t width_ = 0, height_ = 0;
};

class RdtMapper {
public:
    // Copies the table; the mapper does not depend on it afterwards. An
    // unsupported kernel falls back to the best supported one.
    explicit RdtMapper(const uint8_t* rdt, MapKernel kernel = BestMapKernel());

    // Packed 24-bit pixels, red first. dst may equal src (not overlap otherwise).
    void MapRgb(const uint8_t* src, uint8_t* dst, size_t pixels) const;

    // Rows of 24-bit pixels, blue first, as in a bottom-up or top-down DIB
    // section; strides in bytes, may be negative. dst may equal src.
    void MapBgrRows(const uint8_t* src, ptrdiff_t srcStride, uint8_t* dst, ptrdiff_t dstStride, size_t width,
                    size_t height) const;

    // The same, for a source whose pixels are unchanged since `cells` was
    // last used with it (or cleared): cells are made on the first call.
    void MapBgrRows(const uint8_t* src, ptrdiff_t srcStride, uint8_t* dst, ptrdiff_t dstStride, size_t width,
                    size_t height, MapCells& cells) const;

    MapKernel Kernel() const { return kernel_; }

private:
    const void* Prepared() const {
        return kernel_ == MapKernel::Fpu   ? static_cast<const void*>(wide_.data())
               : kernel_ == MapKernel::Mmx ? static_cast<const void*>(lanes_.get())
                                           : quads_.data();
    }

    // prepared: the kernel's own copy of the table (quads_, wide_ or lanes_), if any.
    using RowFunction = void (*)(const uint8_t* table, const void* prepared, const uint8_t* src, uint8_t* dst,
                                 size_t pixels);

    uint8_t table_[RdtBytes];
    // Per lattice node with green and blue below 16, per channel: the 2 x 2
    // green-blue neighbourhood as four bytes, so that one 32-bit load brings
    // four of a pixel's eight corners. Made for the vector kernels only.
    std::vector<uint32_t> quads_;
    // The FPU kernel's table (16 e and the red differences, as floats), for it only.
    std::vector<float> wide_;
    // Per lattice node, 16 e and the difference to the node above in red as
    // 16-bit lanes, four to a quadword, for the MMX kernel only.
    std::unique_ptr<uint64_t[]> lanes_;
    MapKernel kernel_;
    RowFunction rgb_;
    RowFunction bgr_;
};

// Maps packed RGB pixels through the engine's current table.
void MapRgbThroughRdt(const uint8_t* src, uint8_t* dst, size_t pixels);
