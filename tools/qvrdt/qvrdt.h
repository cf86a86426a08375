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

int RunQvrdt(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

// Table files. Each writes the whole file or nothing.
bool WriteCubeFile(const std::string& path, const uint8_t* rdt, const ColorAdjustment& color, std::string& error);
bool WriteDeviceLinkFile(const std::string& path, const uint8_t* rdt, const ColorAdjustment& color, std::string& error);
