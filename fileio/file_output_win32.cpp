// The tools and the host run on Windows Vista and later, and under Wine:
// a link's final target comes from GetFinalPathNameByHandleW.
#undef _WIN32_WINNT
#define _WIN32_WINNT 0x0600
#include <windows.h>
#include <shellapi.h>

#include <memory>

#include "fileio/file_output.h"

namespace {

std::wstring FromUtf8(const std::string& text) {
    const int n = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<size_t>(n > 0 ? n : 0), L'\0');
    if (n > 0) MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &wide[0], n);
    return wide;
}

std::string ToUtf8(const wchar_t* wide, int length) {
    const int n = WideCharToMultiByte(CP_UTF8, 0, wide, length, nullptr, 0, nullptr, nullptr);
    std::string text(static_cast<size_t>(n > 0 ? n : 0), '\0');
    if (n > 0) WideCharToMultiByte(CP_UTF8, 0, wide, length, &text[0], n, nullptr, nullptr);
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

std::string ErrorText(DWORD code) {
    WCHAR text[512];
    // English where the system has it, as the rest of the message.
    DWORD n = 0;
    for (DWORD language : {DWORD(MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US)), DWORD(0)}) {
        n = FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, language, text,
                           512, nullptr);
        if (n) break;
    }
    while (n > 0 && (text[n - 1] == L'\r' || text[n - 1] == L'\n' || text[n - 1] == L' ' || text[n - 1] == L'.')) --n;
    return n ? ToUtf8(text, static_cast<int>(n)) : "system error " + std::to_string(code);
}

std::string Failure(const char* what, const std::string& path, DWORD code) {
    return std::string(what) + " '" + path + "': " + ErrorText(code);
}

struct HandleCloser {
    void operator()(HANDLE h) const { CloseHandle(h); }
};
using FileHandle = std::unique_ptr<void, HandleCloser>;

std::wstring FolderOf(const std::wstring& path) {
    const size_t slash = path.find_last_of(L"\\/:");
    if (slash == std::wstring::npos) return L".";
    if (path[slash] == L':') return path.substr(0, slash + 1) + L".";
    return slash == 0 ? path.substr(0, 1) : path.substr(0, slash);
}

// The file that a save of `path` replaces: an existing file's final name,
// through symbolic links (a link that names no file is replaced).
std::wstring FinalTarget(const std::wstring& path) {
    HANDLE h = CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                           OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (h == INVALID_HANDLE_VALUE) return path;
    const FileHandle file(h);
    std::wstring name(32768, L'\0');
    const DWORD n = GetFinalPathNameByHandleW(h, &name[0], static_cast<DWORD>(name.size()), VOLUME_NAME_DOS);
    if (n == 0 || n >= name.size()) return path;
    name.resize(n);
    if (name.compare(0, 8, L"\\\\?\\UNC\\") == 0) return L"\\\\" + name.substr(8);
    if (name.compare(0, 4, L"\\\\?\\") == 0) return name.substr(4);
    return name;
}

bool WriteAll(HANDLE file, const void* data, size_t size) {
    const char* bytes = static_cast<const char*>(data);
    while (size > 0) {
        const DWORD chunk = size < (1u << 30) ? static_cast<DWORD>(size) : (1u << 30);
        DWORD written = 0;
        if (!WriteFile(file, bytes, chunk, &written, nullptr)) return false;
        if (written != chunk) {
            SetLastError(ERROR_DISK_FULL);
            return false;
        }
        bytes += chunk;
        size -= chunk;
    }
    return true;
}

}  // namespace

std::vector<std::string> Utf8Arguments(int, char**) {
    int count = 0;
    LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &count);
    std::vector<std::string> args;
    for (int i = 0; wide && i < count; ++i) args.push_back(ToUtf8(wide[i], lstrlenW(wide[i])));
    LocalFree(wide);
    return args;
}

std::FILE* OpenFile(const std::string& path, const char* mode) { return _wfopen(Path(path).c_str(), FromUtf8(mode).c_str()); }
bool FileExists(const std::string& path) { return GetFileAttributesW(Path(path).c_str()) != INVALID_FILE_ATTRIBUTES; }
bool MakeFolder(const std::string& path) {
    const std::wstring folder = Path(path);
    if (CreateDirectoryW(folder.c_str(), nullptr)) return true;
    const DWORD attributes = GetFileAttributesW(folder.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool WriteFileAtomically(const std::string& path, const void* data, size_t size, std::string& error) {
    const std::wstring target = FinalTarget(Path(path));
    const DWORD attributes = GetFileAttributesW(target.c_str());
    const bool exists = attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
    if (exists && (attributes & FILE_ATTRIBUTE_READONLY)) {
        error = "cannot write '" + path + "': the file is read-only";
        return false;
    }
    WCHAR temp[MAX_PATH];
    if (!GetTempFileNameW(FolderOf(target).c_str(), L"qv", 0, temp)) {
        error = Failure("cannot write", path, GetLastError());
        return false;
    }
    DWORD failure = 0;
    {
        HANDLE h = CreateFileW(temp, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        const FileHandle file(h == INVALID_HANDLE_VALUE ? nullptr : h);
        // On the disk before it takes the target's name.
        if (!file || !WriteAll(h, data, size) || !FlushFileBuffers(h)) failure = GetLastError();
    }
    if (failure != 0) {
        error = Failure("cannot write", path, failure);
        DeleteFileW(temp);
        return false;
    }
    if (exists) SetFileAttributesW(temp, attributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE));
    if (!MoveFileExW(temp, target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        error = Failure("cannot replace", path, GetLastError());
        DeleteFileW(temp);
        return false;
    }
    return true;
}
