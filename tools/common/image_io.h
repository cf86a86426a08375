// Image and file output shared by the native tools. Output goes to a
// temporary file beside the target and is renamed into place only when it is
// complete, so a failed run never leaves a partial file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "tools/common/file_output.h"

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

