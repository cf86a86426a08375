// Calling convention of the functions that QV3810ui exports and that the
// bridge calls. Portable: compiles without windows.h.
#pragma once

#if defined(_WIN32) && !defined(_WIN64)
#define QV_API __stdcall
#else
#define QV_API
#endif
