// File paths in Shift-JIS. Portable.
#pragma once

#include <string>

// `path` with the extension of its last component replaced by `extension`
// (added when it has none): "C:\\WINDOWS\\SYSTEM\\QV3810ui.ini" with "$$$"
// gives "C:\\WINDOWS\\SYSTEM\\QV3810ui.$$$". Separators are found character
// by character, so a trail byte 0x5C is not taken for one.
std::string WithExtension(const std::string& path, const char* extension);
