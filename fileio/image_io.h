// Images of the native tools and the host: read, written and mapped. Output
// goes to a temporary file beside the target and is renamed into place only
// when it is complete, so a failed run never leaves a partial file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "fileio/file_output.h"
#include "fileio/progress.h"

enum class ImageFormat { Png, Bmp, Ppm };

struct Image {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> rgb;  // width * height * 3, rows top to bottom
};

// Output format from the file name's extension (.png, .bmp, .ppm, any case).
bool ImageFormatFromPath(const std::string& path, ImageFormat& format);

// Reads a PNG, BMP or binary PPM (told apart by content). Truncated or
// malformed files are refused.
bool ReadImageFile(const std::string& path, Image& image, std::string& error);

bool WriteImageFile(const std::string& path, ImageFormat format, int width, int height, const uint8_t* rgb,
                    std::string& error);

// Maps the picture's pixels in place in slices of a million, telling the
// progress after each.
template <typename Map>
void MapInSteps(Image& image, Progress& progress, Map map) {
    const size_t pixels = image.rgb.size() / 3;
    const size_t slice = 1 << 20;
    for (size_t done = 0; done < pixels;) {
        progress.Percent("mapping", static_cast<int>(done * 100 / pixels));
        const size_t n = pixels - done < slice ? pixels - done : slice;
        map(image.rgb.data() + done * 3, n);
        done += n;
    }
}
