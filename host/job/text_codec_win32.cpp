#include <windows.h>

#include "host/job/text_codec.h"

namespace {

bool Convert(UINT from, UINT to, const std::string& in, std::string& out) {
    out.clear();
    if (in.empty()) return true;
    if (in.size() > 0x7FFFFFFF) return false;
    const int inLength = static_cast<int>(in.size());
    int wide = MultiByteToWideChar(from, MB_ERR_INVALID_CHARS, in.data(), inLength, nullptr, 0);
    if (wide <= 0) return false;
    std::wstring w(static_cast<size_t>(wide), L'\0');
    MultiByteToWideChar(from, MB_ERR_INVALID_CHARS, in.data(), inLength, &w[0], wide);
    BOOL lossy = FALSE;
    BOOL* lossyFlag = to == CP_UTF8 ? nullptr : &lossy;
    int bytes = WideCharToMultiByte(to, 0, w.data(), wide, nullptr, 0, nullptr, lossyFlag);
    if (bytes <= 0 || lossy) return false;
    out.resize(static_cast<size_t>(bytes));
    WideCharToMultiByte(to, 0, w.data(), wide, &out[0], bytes, nullptr, nullptr);
    return true;
}

}  // namespace

bool Utf8ToShiftJis(const std::string& utf8, std::string& sjis) { return Convert(CP_UTF8, 932, utf8, sjis); }
bool ShiftJisToUtf8(const std::string& sjis, std::string& utf8) { return Convert(932, CP_UTF8, sjis, utf8); }
