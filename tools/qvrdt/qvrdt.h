// qvrdt: the color engine from the command line. The whole tool runs through
// RunQvrdt so that tests can drive it in-process.
#pragma once

#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

#include "ui/common/records.h"

// Exit statuses.
constexpr int QvrdtOk = 0;
constexpr int QvrdtFailed = 2;  // bad arguments, unreadable input, unwritable output

// `progress`: long runs tell their progress on `err` (for a terminal).
int RunQvrdt(const std::vector<std::string>& args, std::ostream& out, std::ostream& err, bool progress = false);

// The table format that an output file's name asks for: "cube" for .cube,
// "icc" for .icc and .icm, "raw" for any other (any case).
std::string TableFormatFromPath(const std::string& path);

// Table files. Each writes the whole file or nothing.
bool WriteCubeFile(const std::string& path, const uint8_t* rdt, const ColorAdjustment& color, std::string& error);
bool WriteDeviceLinkFile(const std::string& path, const uint8_t* rdt, const ColorAdjustment& color, std::string& error);
