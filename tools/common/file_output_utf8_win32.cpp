// UTF-8 paths through the W functions, for programs whose paths come from a
// UTF-8 command line (see file_output.h).
#include <windows.h>

#include <cwchar>

#include "tools/common/file_output.h"
#include "tools/common/file_output_win32.h"

namespace {

std::wstring FromUtf8(const std::string& text) {
    const int n = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<size_t>(n > 0 ? n : 0), L'\0');
    if (n > 0) MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &wide[0], n);
    return wide;
}

std::string ToUtf8(const std::wstring& wide) {
    const int n = WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0, nullptr,
                                      nullptr);
    std::string text(static_cast<size_t>(n > 0 ? n : 0), '\0');
    if (n > 0) WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), &text[0], n, nullptr, nullptr);
    return text;
}

// Under Wine a path from the Unix side names its file through Wine's own
// mapping of Unix folders to drives; elsewhere it is a path on the current drive.
std::wstring Path(const std::string& path) {
    if (path.empty() || path[0] != '/') return FromUtf8(path);
    using DosName = WCHAR*(CDECL*)(const char*);
    static const auto dosName = reinterpret_cast<DosName>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32"), "wine_get_dos_file_name")));
    WCHAR* name = dosName ? dosName(path.c_str()) : nullptr;
    if (!name) return FromUtf8(path);
    std::wstring wide(name);
    HeapFree(GetProcessHeap(), 0, name);
    return wide;
}

DWORD AttributesW(const std::string& path) { return GetFileAttributesW(Path(path).c_str()); }
BOOL SetAttributesW(const std::string& path, DWORD attributes) {
    return SetFileAttributesW(Path(path).c_str(), attributes);
}
BOOL TempFileW(const std::string& folder, std::string& temp) {
    WCHAR name[MAX_PATH];
    if (!GetTempFileNameW(Path(folder).c_str(), L"qv", 0, name)) return FALSE;
    temp = ToUtf8(name);
    return TRUE;
}
BOOL MoveW(const std::string& from, const std::string& to) {
    return MoveFileW(Path(from).c_str(), Path(to).c_str());
}
BOOL MoveOverW(const std::string& from, const std::string& to) {
    return MoveFileExW(Path(from).c_str(), Path(to).c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
}
BOOL DeleteW(const std::string& path) { return DeleteFileW(Path(path).c_str()); }
BOOL MakeFolderW(const std::string& path) { return CreateDirectoryW(Path(path).c_str(), nullptr); }
std::FILE* OpenW(const std::string& path, const char* mode) {
    return _wfopen(Path(path).c_str(), FromUtf8(mode).c_str());
}
std::string TextW(const std::string& utf8) { return utf8; }
std::string ErrorTextW(DWORD code) {
    WCHAR text[512];
    // English where the system has it, as the rest of the message.
    DWORD n = 0;
    const DWORD languages[] = {MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US), 0};
    for (DWORD language : languages) {
        n = FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, language, text,
                             512, nullptr);
        if (n) break;
    }
    while (n > 0 && (text[n - 1] == L'\r' || text[n - 1] == L'\n' || text[n - 1] == L' ' || text[n - 1] == L'.')) --n;
    return n ? ToUtf8(std::wstring(text, n)) : "system error " + std::to_string(code);
}

const Win32FileApi Utf8FileApi = {AttributesW, SetAttributesW, TempFileW, MoveW,     MoveOverW,
                                  DeleteW,     MakeFolderW, OpenW,          TextW,     ErrorTextW};

}  // namespace

void UseUtf8FilePaths() { g_fileApi = &Utf8FileApi; }
