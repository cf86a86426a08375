// Saves what a window shows as a PNG file.
#pragma once

#include <windows.h>

#include <string>

bool SaveWindowPng(HWND window, const std::string& path);
