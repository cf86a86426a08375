#include <windows.h>

#include <cerrno>
#include <cstring>

#include "tools/common/file_output.h"
#include "tools/common/file_output_win32.h"

namespace {

DWORD AttributesA(const std::string& path) { return GetFileAttributesA(path.c_str()); }
BOOL SetAttributesA(const std::string& path, DWORD attributes) {
    return SetFileAttributesA(path.c_str(), attributes);
}
BOOL TempFileA(const std::string& folder, std::string& temp) {
    char name[MAX_PATH];
    if (!GetTempFileNameA(folder.c_str(), "qv", 0, name)) return FALSE;
    temp = name;
    return TRUE;
}
BOOL MoveA(const std::string& from, const std::string& to) { return MoveFileA(from.c_str(), to.c_str()); }
// Looked up at run time: Windows 95 and 98 have no MoveFileExA to import.
BOOL MoveOverA(const std::string& from, const std::string& to) {
    using MoveFileExFunction = BOOL(WINAPI*)(LPCSTR, LPCSTR, DWORD);
    const auto moveFileEx = reinterpret_cast<MoveFileExFunction>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("KERNEL32"), "MoveFileExA")));
    if (!moveFileEx) {
        SetLastError(ERROR_CALL_NOT_IMPLEMENTED);
        return FALSE;
    }
    return moveFileEx(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
}
BOOL DeleteA(const std::string& path) { return DeleteFileA(path.c_str()); }
BOOL MakeFolderA(const std::string& path) { return CreateDirectoryA(path.c_str(), nullptr); }
std::FILE* OpenA(const std::string& path, const char* mode) { return std::fopen(path.c_str(), mode); }
std::string TextA(const std::string& utf8) {
    const int wide = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    if (wide <= 0) return utf8;
    std::wstring w(static_cast<size_t>(wide), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), &w[0], wide);
    const int bytes = WideCharToMultiByte(CP_ACP, 0, w.data(), wide, nullptr, 0, nullptr, nullptr);
    std::string ansi(static_cast<size_t>(bytes > 0 ? bytes : 0), '\0');
    if (bytes > 0) WideCharToMultiByte(CP_ACP, 0, w.data(), wide, &ansi[0], bytes, nullptr, nullptr);
    return ansi;
}
std::string ErrorTextA(DWORD code) {
    char text[512];
    // English where the system has it, as the rest of the message.
    DWORD n = 0;
    const DWORD languages[] = {MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US), 0};
    for (DWORD language : languages) {
        n = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, language, text,
                             sizeof text, nullptr);
        if (n) break;
    }
    while (n > 0 && (text[n - 1] == '\r' || text[n - 1] == '\n' || text[n - 1] == ' ' || text[n - 1] == '.')) --n;
    return n ? std::string(text, n) : "system error " + std::to_string(code);
}

const Win32FileApi AnsiFileApi = {AttributesA, SetAttributesA, TempFileA, MoveA, MoveOverA,
                                  DeleteA,     MakeFolderA, OpenA,          TextA,     ErrorTextA};

std::string FolderOf(const std::string& path) {
    const size_t slash = path.find_last_of("\\/:");
    if (slash == std::string::npos) return ".";
    if (path[slash] == ':') return path.substr(0, slash + 1) + ".";
    return slash == 0 ? path.substr(0, 1) : path.substr(0, slash);
}

std::string Failure(const char* what, const std::string& path, const std::string& reason) {
    return std::string(what) + " '" + path + "': " + reason;
}

}  // namespace

const Win32FileApi* g_fileApi = &AnsiFileApi;

std::string FilePathFromUtf8(const std::string& utf8) { return g_fileApi->Text(utf8); }
std::FILE* OpenFile(const std::string& path, const char* mode) { return g_fileApi->Open(path, mode); }
bool FileExists(const std::string& path) { return g_fileApi->Attributes(path) != INVALID_FILE_ATTRIBUTES; }
bool MakeFolder(const std::string& path) {
    if (g_fileApi->MakeFolder(path)) return true;
    const DWORD attributes = g_fileApi->Attributes(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool BeginSave(const std::string& path, SaveFile& save, std::string& error) {
    const Win32FileApi& api = *g_fileApi;
    const DWORD attributes = api.Attributes(path);
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) &&
        !(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        error = "cannot write '" + path + "': the file is read-only";
        return false;
    }
    std::string temp;
    if (!api.TempFile(FolderOf(path), temp)) {
        error = Failure("cannot write", path, api.ErrorText(GetLastError()));
        return false;
    }
    errno = 0;
    std::FILE* file = api.Open(temp, "wb");
    if (!file) {
        error = Failure("cannot write", path, std::strerror(errno));
        api.Delete(temp);
        return false;
    }
    save.Path = path;
    save.Target = path;
    save.Temp = temp;
    save.File = file;
    return true;
}

bool CommitSave(SaveFile& save, std::string& error) {
    const Win32FileApi& api = *g_fileApi;
    std::FILE* file = save.File;
    save.File = nullptr;
    errno = 0;
    const bool flushed = std::fflush(file) == 0;
    int e = flushed ? 0 : errno;
    if (std::fclose(file) != 0 && e == 0) e = errno ? errno : EIO;
    if (!flushed || e != 0) {
        error = Failure("cannot write", save.Path, std::strerror(e ? e : EIO));
        api.Delete(save.Temp);
        return false;
    }
    // The new file keeps the old one's attributes (hidden, system, archive).
    const DWORD attributes = api.Attributes(save.Target);
    if (attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY))
        api.SetAttributes(save.Temp, attributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE));
    bool moved = api.MoveOver(save.Temp, save.Target);
    if (!moved && GetLastError() == ERROR_CALL_NOT_IMPLEMENTED) moved = ReplaceByMoving(save.Temp, save.Target);
    if (!moved) {
        error = Failure("cannot replace", save.Path, api.ErrorText(GetLastError()));
        api.Delete(save.Temp);
        return false;
    }
    return true;
}

void AbandonSave(SaveFile& save) {
    if (save.File) std::fclose(save.File);
    save.File = nullptr;
    g_fileApi->Delete(save.Temp);
}

bool ReplaceByMoving(const std::string& from, const std::string& to) {
    const Win32FileApi& api = *g_fileApi;
    if (api.Attributes(to) == INVALID_FILE_ATTRIBUTES) return api.Move(from, to);
    std::string aside;
    if (!api.TempFile(FolderOf(to), aside)) return false;
    api.Delete(aside);  // the name stays ours; MoveFile does not move over a file
    if (!api.Move(to, aside)) return false;
    if (!api.Move(from, to)) {
        const DWORD e = GetLastError();
        api.Move(aside, to);
        SetLastError(e);
        return false;
    }
    api.Delete(aside);
    return true;
}
