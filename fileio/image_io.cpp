#include "fileio/image_io.h"

#include "fileio/file_output.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>

#define STB_IMAGE_IMPLEMENTATION
#define STB_IMAGE_WRITE_IMPLEMENTATION
#define STBI_ONLY_PNG
#define STBI_ONLY_BMP
#define STBI_NO_STDIO
#define STBI_WRITE_NO_STDIO
#define STBI_FAILURE_USERMSG
#if defined(__GNUC__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wunused-function"
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#pragma GCC diagnostic ignored "-Wsign-compare"
#pragma GCC diagnostic ignored "-Wunused-parameter"
#pragma GCC diagnostic ignored "-Wunused-but-set-variable"
#endif
#include <stb_image.h>
#include <stb_image_write.h>
#if defined(__GNUC__)
#pragma GCC diagnostic pop
#endif

namespace {

struct FileCloser {
    void operator()(FILE* f) const {
        if (f) std::fclose(f);
    }
};
using File = std::unique_ptr<FILE, FileCloser>;

bool ReadWholeFile(const std::string& path, std::vector<uint8_t>& data, std::string& error) {
    errno = 0;
    File f(OpenFile(path, "rb"));
    if (!f) {
        error = "cannot open '" + path + "': " + std::strerror(errno);
        return false;
    }
    data.clear();
    uint8_t buffer[65536];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, f.get())) > 0) data.insert(data.end(), buffer, buffer + n);
    if (std::ferror(f.get())) {
        error = "cannot read '" + path + "': " + std::strerror(errno);
        return false;
    }
    return true;
}

uint32_t Le32(const uint8_t* p) { return p[0] | p[1] << 8 | p[2] << 16 | static_cast<uint32_t>(p[3]) << 24; }
uint16_t Le16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }

// The BMP decoder fills missing pixel rows silently, so the pixel array is
// checked against the header first.
bool CheckBmpComplete(const std::vector<uint8_t>& d, std::string& error) {
    if (d.size() < 54) {
        error = "truncated BMP header";
        return false;
    }
    const uint32_t offset = Le32(&d[10]);
    const uint32_t headerSize = Le32(&d[14]);
    int64_t width, height;
    uint16_t bits;
    uint32_t compression = 0;
    if (headerSize == 12) {  // the old core header: 16-bit sizes, never compressed
        width = Le16(&d[18]);
        height = Le16(&d[20]);
        bits = Le16(&d[24]);
    } else if (headerSize < 40) {
        return true;  // no known header: the decoder refuses it
    } else {
        width = static_cast<int32_t>(Le32(&d[18]));
        height = static_cast<int32_t>(Le32(&d[22]));
        bits = Le16(&d[28]);
        compression = Le32(&d[30]);
    }
    if (height < 0) height = -height;
    if (width <= 0 || height == 0 || width > (1 << 16) || height > (1 << 16)) {
        error = "BMP has unusable dimensions";
        return false;
    }
    if (compression == 1 || compression == 2) return true;  // run-length data: the decoder refuses it
    // Any other kind the decoder would read as uncompressed rows, past the file's end.
    if (compression != 0 && compression != 3) {
        error = "unsupported BMP compression";
        return false;
    }
    const uint64_t stride = ((static_cast<uint64_t>(width) * bits + 31) / 32) * 4;
    if (static_cast<uint64_t>(offset) + stride * static_cast<uint64_t>(height) > d.size()) {
        error = "truncated BMP pixel data";
        return false;
    }
    return true;
}

uint32_t Be32(const uint8_t* p) { return static_cast<uint32_t>(p[0]) << 24 | p[1] << 16 | p[2] << 8 | p[3]; }

// The PNG decoder tells a file cut short by an unrelated fault ("unknown
// chunk type"), so the chunks are walked first up to the end chunk.
bool CheckPngComplete(const std::vector<uint8_t>& d, std::string& error) {
    size_t pos = 8;
    while (d.size() - pos >= 8) {
        const uint64_t length = Be32(&d[pos]);
        const std::string type(reinterpret_cast<const char*>(&d[pos + 4]), 4);
        for (char c : type)
            if (!((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'))) {
                error = "damaged PNG: no chunk begins at byte " + std::to_string(pos);
                return false;
            }
        if (length + 12 > d.size() - pos) {
            error = "truncated PNG: the file ends inside its " + type + " chunk";
            return false;
        }
        if (type == "IEND") return true;
        pos += static_cast<size_t>(length) + 12;
    }
    error = "truncated PNG: the file ends before its IEND chunk";
    return false;
}

// Binary PPM (P6) with a maximum value of at most 255.
bool ReadPpm(const std::vector<uint8_t>& d, Image& image, std::string& error) {
    size_t pos = 2;
    auto skipSpace = [&] {
        while (pos < d.size()) {
            if (d[pos] == '#') {
                while (pos < d.size() && d[pos] != '\n') ++pos;
            } else if (std::strchr(" \t\r\n", d[pos]) && d[pos] != 0) {
                ++pos;
            } else {
                break;
            }
        }
    };
    auto number = [&](long& value) {
        skipSpace();
        if (pos >= d.size() || d[pos] < '0' || d[pos] > '9') return false;
        value = 0;
        while (pos < d.size() && d[pos] >= '0' && d[pos] <= '9') {
            value = value * 10 + (d[pos++] - '0');
            if (value > 1000000) return false;
        }
        return true;
    };
    long w, h, maxval;
    if (!number(w) || !number(h) || !number(maxval) || pos >= d.size() || w <= 0 || h <= 0 || maxval <= 0 ||
        maxval > 255) {
        error = "malformed PPM header (binary P6 with a maximum value up to 255 is read)";
        return false;
    }
    ++pos;  // the single whitespace character before the pixels
    const uint64_t need = static_cast<uint64_t>(w) * static_cast<uint64_t>(h) * 3;
    if (d.size() - pos < need) {
        error = "truncated PPM pixel data";
        return false;
    }
    image.width = static_cast<int>(w);
    image.height = static_cast<int>(h);
    image.rgb.resize(need);
    for (uint64_t i = 0; i < need; ++i) {
        if (d[pos + i] > maxval) {
            error = "PPM sample above its maximum value";
            return false;
        }
        image.rgb[i] = static_cast<uint8_t>((d[pos + i] * 255 + maxval / 2) / maxval);
    }
    return true;
}

void AppendToVector(void* context, void* data, int size) {
    auto* out = static_cast<std::vector<uint8_t>*>(context);
    const auto* p = static_cast<const uint8_t*>(data);
    out->insert(out->end(), p, p + size);
}

}  // namespace

bool ImageFormatFromPath(const std::string& path, ImageFormat& format) {
    const size_t dot = path.find_last_of('.');
    if (dot == std::string::npos) return false;
    std::string ext = path.substr(dot + 1);
    for (char& c : ext)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    static const struct {
        const char* ext;
        ImageFormat format;
    } known[] = {{"png", ImageFormat::Png}, {"bmp", ImageFormat::Bmp}, {"ppm", ImageFormat::Ppm}};
    for (const auto& k : known)
        if (ext == k.ext) {
            format = k.format;
            return true;
        }
    return false;
}

bool ReadImageFile(const std::string& path, Image& image, std::string& error) {
    std::vector<uint8_t> d;
    if (!ReadWholeFile(path, d, error)) return false;
    if (d.size() >= 2 && d[0] == 'P' && d[1] == '6') {
        if (!ReadPpm(d, image, error)) {
            error = "'" + path + "': " + error;
            return false;
        }
        return true;
    }
    if (d.size() >= 8 && std::memcmp(d.data(), "\x89PNG\r\n\x1a\n", 8) == 0 && !CheckPngComplete(d, error)) {
        error = "'" + path + "': " + error;
        return false;
    }
    if (d.size() >= 2 && d[0] == 'B' && d[1] == 'M' && !CheckBmpComplete(d, error)) {
        error = "'" + path + "': " + error;
        return false;
    }
    if (d.size() > static_cast<size_t>(INT32_MAX)) {
        error = "'" + path + "': file too large";
        return false;
    }
    int w = 0, h = 0, n = 0;
    std::unique_ptr<stbi_uc, void (*)(void*)> pixels(
        stbi_load_from_memory(d.data(), static_cast<int>(d.size()), &w, &h, &n, 3), stbi_image_free);
    if (!pixels) {
        const char* reason = stbi_failure_reason();
        error = "'" + path + "': not a readable PNG, BMP or PPM image" +
                (reason && *reason ? std::string(" (") + reason + ")" : std::string());
        return false;
    }
    image.width = w;
    image.height = h;
    image.rgb.assign(pixels.get(), pixels.get() + static_cast<size_t>(w) * h * 3);
    return true;
}

bool WriteImageFile(const std::string& path, ImageFormat format, int width, int height, const uint8_t* rgb,
                    std::string& error) {
    std::vector<uint8_t> out;
    bool ok = true;
    switch (format) {
    case ImageFormat::Png:
        ok = stbi_write_png_to_func(AppendToVector, &out, width, height, 3, rgb, width * 3) != 0;
        break;
    case ImageFormat::Bmp:
        ok = stbi_write_bmp_to_func(AppendToVector, &out, width, height, 3, rgb) != 0;
        break;
    case ImageFormat::Ppm: {
        const std::string header = "P6\n" + std::to_string(width) + " " + std::to_string(height) + "\n255\n";
        out.assign(header.begin(), header.end());
        out.insert(out.end(), rgb, rgb + static_cast<size_t>(width) * height * 3);
        break;
    }
    }
    if (!ok) {
        error = "cannot encode '" + path + "'";
        return false;
    }
    return WriteFileAtomically(path, out.data(), out.size(), error);
}

