// Small helpers shared by the Win32 tests: numbers from the environment,
// whole files, and the state of a dialog's controls.
#pragma once

#include <windows.h>

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

// A number from the environment (decimal, or hexadecimal with 0x), or `fallback`.
inline long EnvNumber(const char* name, long fallback) {
    char text[32] = {};
    if (!GetEnvironmentVariableA(name, text, sizeof text)) return fallback;
    return strtol(text, nullptr, 0);
}

inline std::string ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}
inline void WriteBytes(const std::string& path, const void* bytes, size_t size) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(static_cast<const char*>(bytes), static_cast<std::streamsize>(size));
}
inline void WriteBytes(const std::string& path, const std::string& bytes) { WriteBytes(path, bytes.data(), bytes.size()); }
inline void WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
    WriteBytes(path, bytes.data(), bytes.size());
}

// Points this program's import of `function` from `dll` at `to` and returns
// what it pointed at (null when the program does not import it): a spy or a
// fault in the calls that code linked into the test makes.
inline void* SwapImport(const char* dll, const char* function, void* to) {
    auto* base = reinterpret_cast<BYTE*>(GetModuleHandleA(nullptr));
    auto* nt = reinterpret_cast<IMAGE_NT_HEADERS*>(base + reinterpret_cast<IMAGE_DOS_HEADER*>(base)->e_lfanew);
    const IMAGE_DATA_DIRECTORY& dir = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    void* was = nullptr;
    for (auto* d = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + dir.VirtualAddress); d->Name; ++d) {
        if (lstrcmpiA(reinterpret_cast<char*>(base + d->Name), dll) != 0) continue;
        auto* names = reinterpret_cast<IMAGE_THUNK_DATA*>(base + d->OriginalFirstThunk);
        auto* slots = reinterpret_cast<IMAGE_THUNK_DATA*>(base + d->FirstThunk);
        for (; names->u1.AddressOfData; ++names, ++slots) {
            if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal)) continue;
            auto* name = reinterpret_cast<IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData);
            if (lstrcmpA(reinterpret_cast<char*>(name->Name), function) != 0) continue;
            DWORD old;
            VirtualProtect(&slots->u1.Function, sizeof slots->u1.Function, PAGE_READWRITE, &old);
            was = reinterpret_cast<void*>(slots->u1.Function);
            slots->u1.Function = reinterpret_cast<ULONG_PTR>(to);
            VirtualProtect(&slots->u1.Function, sizeof slots->u1.Function, old, &old);
        }
    }
    return was;
}

// The library's user settings file, QV3810ui.ini in the system directory,
// for a test to fill and read; a file already there is set aside while the
// test runs and put back afterwards.
class LibrarySettingsFile {
public:
    LibrarySettingsFile() {
        char directory[MAX_PATH] = {};
        GetSystemDirectoryA(directory, MAX_PATH);
        m_path = std::string(directory) + "\\QV3810ui.ini";
        m_aside = m_path + ".aside";
        DeleteFileA(m_aside.c_str());
        MoveFileA(m_path.c_str(), m_aside.c_str());
    }
    ~LibrarySettingsFile() {
        DeleteFileA(m_path.c_str());
        MoveFileA(m_aside.c_str(), m_path.c_str());
    }
    LibrarySettingsFile(const LibrarySettingsFile&) = delete;
    LibrarySettingsFile& operator=(const LibrarySettingsFile&) = delete;
    const std::string& Path() const { return m_path; }

private:
    std::string m_path, m_aside;
};

inline std::string Text(HWND window, int id) {
    char buffer[512] = {};
    GetDlgItemTextA(window, id, buffer, sizeof buffer);
    return buffer;
}
inline bool Checked(HWND window, int id) { return IsDlgButtonChecked(window, id) == BST_CHECKED; }
inline bool Enabled(HWND window, int id) { return IsWindowEnabled(GetDlgItem(window, id)) != FALSE; }
inline bool Visible(HWND window, int id) { return IsWindowVisible(GetDlgItem(window, id)) != FALSE; }

// Combo boxes: an item's text, the selection, the number of items.
inline std::string ListItem(HWND window, int id, int index) {
    char buffer[256] = {};
    SendDlgItemMessageA(window, id, CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(buffer));
    return buffer;
}
inline int Selected(HWND window, int id) { return static_cast<int>(SendDlgItemMessageA(window, id, CB_GETCURSEL, 0, 0)); }
inline int Count(HWND window, int id) { return static_cast<int>(SendDlgItemMessageA(window, id, CB_GETCOUNT, 0, 0)); }
