// Reading pictures for the tools: an accepted file gives a picture of the
// size its header names, with every uncompressed BMP row and every PPM
// sample present in the file; a refused one says why. A small accepted
// picture reads back the same after writing it in each format.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "tests/fuzz/bmp_model.h"
#include "fileio/image_io.h"

namespace {

void Check(bool ok) {
    if (!ok) abort();
}

struct ScratchDir {
    std::string path;
    ScratchDir() {
        const char* tmp = getenv("TMPDIR");
        std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/image_fuzz.XXXXXX";
        if (!mkdtemp(&pattern[0])) abort();
        path = pattern;
    }
    ~ScratchDir() {
        for (const char* name : {"/in", "/out.png", "/out.bmp", "/out.ppm"}) remove((path + name).c_str());
        rmdir(path.c_str());
    }
};

const std::string& Scratch() {
    static ScratchDir dir;
    return dir.path;
}

bool WriteFile(const std::string& path, const uint8_t* data, size_t size) {
    FILE* f = fopen(path.c_str(), "wb");
    if (!f) return false;
    const bool ok = fwrite(data, 1, size, f) == size;
    return fclose(f) == 0 && ok;
}

// The width and height of a P6 header, read apart from the reader under test.
bool PpmSize(const uint8_t* d, size_t size, uint64_t& width, uint64_t& height) {
    size_t pos = 2;
    uint64_t values[2];
    for (uint64_t& v : values) {
        for (;;) {
            while (pos < size && (d[pos] == ' ' || d[pos] == '\t' || d[pos] == '\r' || d[pos] == '\n')) ++pos;
            if (pos < size && d[pos] == '#') {
                while (pos < size && d[pos] != '\n') ++pos;
                continue;
            }
            break;
        }
        if (pos >= size || d[pos] < '0' || d[pos] > '9') return false;
        v = 0;
        while (pos < size && d[pos] >= '0' && d[pos] <= '9' && v < (uint64_t{1} << 40)) v = v * 10 + (d[pos++] - '0');
    }
    width = values[0];
    height = values[1];
    return true;
}

void CheckRoundTrip(const Image& image) {
    static const struct {
        const char* name;
        ImageFormat format;
    } outputs[] = {{"/out.png", ImageFormat::Png}, {"/out.bmp", ImageFormat::Bmp}, {"/out.ppm", ImageFormat::Ppm}};
    for (const auto& out : outputs) {
        const std::string path = Scratch() + out.name;
        std::string error;
        Check(WriteImageFile(path, out.format, image.width, image.height, image.rgb.data(), error));
        Image back;
        Check(ReadImageFile(path, back, error));
        Check(back.width == image.width && back.height == image.height && back.rgb == image.rgb);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string path = Scratch() + "/in";
    if (!WriteFile(path, data, size)) abort();
    Image image;
    std::string error;
    if (!ReadImageFile(path, image, error)) {
        Check(!error.empty());
        return 0;
    }
    Check(image.width > 0 && image.height > 0);
    Check(image.rgb.size() == static_cast<size_t>(image.width) * image.height * 3);

    BmpModel bmp;
    if (ReadBmpModel(data, size, bmp)) {
        Check(image.width == bmp.Width && static_cast<uint64_t>(image.height) == bmp.AbsHeight());
        // Rows are read uncompressed (or with bit fields), all of them from the file.
        Check(bmp.Compression == 0 || bmp.Compression == 3);
        Check(bmp.BitsOffset + bmp.PlainPixelBytes() <= size);
    }
    uint64_t width, height;
    if (size >= 2 && data[0] == 'P' && data[1] == '6' && PpmSize(data, size, width, height)) {
        Check(image.width == static_cast<int64_t>(width) && image.height == static_cast<int64_t>(height));
        Check(width * height * 3 <= size);
    }
    if (static_cast<int64_t>(image.width) * image.height <= 4096) CheckRoundTrip(image);
    return 0;
}
