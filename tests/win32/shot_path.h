// Where the Win32 tests save their pictures: QV_SCREENSHOT_DIR, or a folder
// of the given name in the temporary directory.
#pragma once

#include <windows.h>

#include <string>

inline std::string ShotPath(const char* fallbackFolder, const char* name) {
    char folder[MAX_PATH] = {};
    std::string path;
    if (GetEnvironmentVariableA("QV_SCREENSHOT_DIR", folder, MAX_PATH)) {
        path = folder;
    } else {
        GetTempPathA(MAX_PATH, folder);
        path = std::string(folder) + fallbackFolder;
    }
    CreateDirectoryA(path.c_str(), nullptr);
    return path + "\\" + name;
}
