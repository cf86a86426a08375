// Windows 95 and Windows 98 as they present the platform to the shipped
// 32-bit DLLs, for running them under Wine (whose comctl32 and kernel accept
// far more). QV_SYSTEM=win95 or win98 in the environment picks one.
//
// The DLLs' imports are bound to the system as those versions have it,
// driven by tests/data/win95_exports.txt: an import the list lacks refuses
// the load, a "stub" entry fails with ERROR_CALL_NOT_IMPLEMENTED, and
// GetProcAddress answers NULL for what the list does not name. comctl32 is
// 4.00 (95) or 4.72 (98): PropertySheetA refuses structure sizes that
// version does not know and up-down controls ignore its newer messages.
// GetVersion reports 4.0.950 or 4.10.1998, and SetStretchBltMode refuses
// HALFTONE. Only calls made from the shipped DLLs see any of it.
#pragma once

#include <windows.h>

#include <string>

// Loads a shipped DLL (with the DLLs it imports) under the personality that
// QV_SYSTEM names, or plainly when it names none. Null with the reason in
// *error when it cannot be loaded, or when QV_SYSTEM names no known system.
HMODULE LoadShippedLibrary(const std::string& path, std::string* error);

// The personality's name ("win95", "win98"), or empty.
std::string SystemPersonalityName();
