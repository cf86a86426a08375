// The size of an open file, through the call that every Windows version has.
#pragma once

#include <windows.h>

#include <cstdint>

inline bool ReadFileSize(HANDLE file, uint64_t& size) {
    DWORD high = 0;
    SetLastError(NO_ERROR);
    const DWORD low = GetFileSize(file, &high);
    if (low == INVALID_FILE_SIZE && GetLastError() != NO_ERROR) return false;
    size = static_cast<uint64_t>(high) << 32 | low;
    return true;
}
