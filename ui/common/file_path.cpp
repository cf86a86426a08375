#include "ui/common/file_path.h"

#include "ui/common/shift_jis.h"

std::string WithExtension(const std::string& path, const char* extension) {
    size_t componentStart = 0, dot = std::string::npos;
    for (size_t at = 0; at < path.size();) {
        const char c = path[at];
        if (c == '\\' || c == '/' || c == ':') {
            componentStart = at + 1;
            dot = std::string::npos;
        } else if (c == '.') {
            dot = at;
        }
        at += CharBytes(path.c_str() + at);
    }
    const size_t end = dot != std::string::npos && dot >= componentStart ? dot : path.size();
    return path.substr(0, end) + "." + extension;
}
