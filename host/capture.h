// Saves what a window shows as a PNG file.
#pragma once

#include <windows.h>

#include <string>

// False when the picture could not be taken or written; then `error`, when
// given, says why.
bool SaveWindowPng(HWND window, const std::string& path, std::string* error = nullptr);
