#include "host/system_personality.h"

#include <commctrl.h>
#include <prsht.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <vector>

// Each hook answers as the older system does for calls that come from a
// shipped DLL, and passes every other call on. The hooks reach the imports
// of the shipped DLLs twice: through the system DLLs' export tables while
// the DLLs load (so that their entry points already meet the older system),
// and through the DLLs' own import tables once they are loaded.

namespace {

constexpr WORD Comctl400 = 0x0400, Comctl471 = 0x0447, Comctl472 = 0x0448, Comctl580 = 0x0550,
               Comctl600 = 0x0600;

struct SystemTraits {
    const char* Name;
    WORD Comctl;  // comctl32's version, major << 8 | minor
    BYTE Major, Minor;
    WORD Build;
};
const SystemTraits Systems[] = {
    {"win95", Comctl400, 4, 0, 950},
    {"win98", Comctl472, 4, 10, 1998},
};

// A message or structure size, and the comctl32 version that brought it.
struct Since {
    DWORD Value;
    WORD Comctl;
};
const Since UpDownMessages[] = {
    {UDM_SETRANGE32, Comctl471},     {UDM_GETRANGE32, Comctl471},       {UDM_SETPOS32, Comctl580},
    {UDM_GETPOS32, Comctl580},       {UDM_SETUNICODEFORMAT, Comctl580}, {UDM_GETUNICODEFORMAT, Comctl580},
};
const Since SheetHeaderSizes[] = {
    {PROPSHEETHEADERA_V1_SIZE, Comctl400},
    {CCSIZEOF_STRUCT(PROPSHEETHEADERA, hbmHeader), Comctl471},  // the V2 size (mingw-w64's macro does not compile)
};
const Since SheetPageSizes[] = {
    {PROPSHEETPAGEA_V1_SIZE, Comctl400},
    {PROPSHEETPAGEA_V2_SIZE, Comctl471},
    {sizeof(PROPSHEETPAGEA), Comctl600},
};

// System libraries that Windows 95 and 98 do not have.
const char* const MissingLibraries[] = {"uxtheme.dll"};

// The argument bytes of the Unicode stubs the list may name: a stub must
// remove its caller's arguments as the real function would.
struct StubArguments {
    const char* Function;
    int Count;
};
const StubArguments Stubs[] = {
    {"CreateSemaphoreW", 4}, {"CreateEventW", 4},       {"CreateMutexW", 3},      {"GetModuleHandleW", 1},
    {"LoadLibraryW", 1},     {"GetModuleFileNameW", 3}, {"OutputDebugStringW", 1}, {"CreateFileW", 7},
};

DWORD NotImplemented() {
    SetLastError(ERROR_CALL_NOT_IMPLEMENTED);
    return 0;
}
DWORD WINAPI Stub1(DWORD) { return NotImplemented(); }
DWORD WINAPI Stub2(DWORD, DWORD) { return NotImplemented(); }
DWORD WINAPI Stub3(DWORD, DWORD, DWORD) { return NotImplemented(); }
DWORD WINAPI Stub4(DWORD, DWORD, DWORD, DWORD) { return NotImplemented(); }
DWORD WINAPI Stub7(DWORD, DWORD, DWORD, DWORD, DWORD, DWORD, DWORD) { return NotImplemented(); }
void* StubWith(int count) {
    switch (count) {
    case 1: return reinterpret_cast<void*>(&Stub1);
    case 2: return reinterpret_cast<void*>(&Stub2);
    case 3: return reinterpret_cast<void*>(&Stub3);
    case 4: return reinterpret_cast<void*>(&Stub4);
    case 7: return reinterpret_cast<void*>(&Stub7);
    default: return nullptr;
    }
}

// One line of tests/data/win95_exports.txt; DLL names in lower case.
struct ExportEntry {
    std::string Dll;
    std::string Function;
    void* Stub = nullptr;  // set for "stub" entries
};

struct State {
    const SystemTraits* System = nullptr;
    std::vector<ExportEntry> Exports;
    std::vector<std::string> Shipped;  // the shipped DLLs' names, lower case
};
State g;

std::string Lower(std::string text) {
    for (char& c : text)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return text;
}

std::string BaseName(const std::string& path) {
    const size_t slash = path.find_last_of("\\/");
    return Lower(slash == std::string::npos ? path : path.substr(slash + 1));
}

std::string ModuleName(HMODULE module) {
    char path[MAX_PATH];
    const DWORD n = GetModuleFileNameA(module, path, MAX_PATH);
    return BaseName(std::string(path, n < MAX_PATH ? n : 0));
}

bool Listed(const std::vector<std::string>& names, const std::string& name) {
    for (const std::string& n : names)
        if (n == name) return true;
    return false;
}

bool FromShipped(const void* address) {
    HMODULE module = nullptr;
    return GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                              static_cast<LPCSTR>(address), &module) &&
           Listed(g.Shipped, ModuleName(module));
}

bool Known(const Since* table, size_t count, DWORD value) {
    for (size_t i = 0; i < count; ++i)
        if (table[i].Value == value) return table[i].Comctl <= g.System->Comctl;
    return false;
}

bool IgnoredByUpDown(HWND window, UINT message) {
    for (const Since& m : UpDownMessages) {
        if (m.Value != message) continue;
        char name[32];
        return m.Comctl > g.System->Comctl && GetClassNameA(window, name, sizeof name) &&
               lstrcmpiA(name, UPDOWN_CLASSA) == 0;
    }
    return false;
}

// The page array is walked by each page's own size, as comctl32 does.
bool SheetSizesKnown(const PROPSHEETHEADERA* header) {
    if (!Known(SheetHeaderSizes, std::size(SheetHeaderSizes), header->dwSize)) return false;
    if (!(header->dwFlags & PSH_PROPSHEETPAGE)) return true;
    const BYTE* page = reinterpret_cast<const BYTE*>(header->ppsp);
    for (UINT i = 0; i < header->nPages; ++i) {
        const DWORD size = reinterpret_cast<const PROPSHEETPAGEA*>(page)->dwSize;
        if (!Known(SheetPageSizes, std::size(SheetPageSizes), size)) return false;
        page += size;
    }
    return true;
}

// ---- the hooks ---------------------------------------------------------------

#define QV_CALLER __builtin_return_address(0)

void* Resolve(const std::string& dll, const char* function, void* real);

FARPROC WINAPI HookGetProcAddress(HMODULE module, LPCSTR name) {
    const FARPROC real = GetProcAddress(module, name);
    if (!FromShipped(QV_CALLER) || !HIWORD(reinterpret_cast<ULONG_PTR>(name))) return real;
    return reinterpret_cast<FARPROC>(Resolve(ModuleName(module), name, reinterpret_cast<void*>(real)));
}

HMODULE WINAPI HookLoadLibraryA(LPCSTR path) {
    if (path && FromShipped(QV_CALLER)) {
        std::string name = BaseName(path);
        if (name.find('.') == std::string::npos) name += ".dll";
        for (const char* missing : MissingLibraries)
            if (name == missing) {
                SetLastError(ERROR_MOD_NOT_FOUND);
                return nullptr;
            }
    }
    return LoadLibraryA(path);
}

DWORD WINAPI HookGetVersion() {
    return 0xC0000000u | static_cast<DWORD>(g.System->Minor) << 8 | g.System->Major;
}

BOOL WINAPI HookGetVersionExA(OSVERSIONINFOA* info) {
    if (!info || info->dwOSVersionInfoSize != sizeof(OSVERSIONINFOA)) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return FALSE;
    }
    memset(reinterpret_cast<BYTE*>(info) + sizeof info->dwOSVersionInfoSize, 0,
           sizeof *info - sizeof info->dwOSVersionInfoSize);
    info->dwMajorVersion = g.System->Major;
    info->dwMinorVersion = g.System->Minor;
    info->dwBuildNumber = MAKELONG(g.System->Build, MAKEWORD(g.System->Minor, g.System->Major));
    info->dwPlatformId = VER_PLATFORM_WIN32_WINDOWS;
    return TRUE;
}

LRESULT WINAPI HookSendMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (IgnoredByUpDown(window, message) && FromShipped(QV_CALLER)) return 0;
    return SendMessageA(window, message, wParam, lParam);
}

LRESULT WINAPI HookSendDlgItemMessageA(HWND dialog, int id, UINT message, WPARAM wParam, LPARAM lParam) {
    if (IgnoredByUpDown(GetDlgItem(dialog, id), message) && FromShipped(QV_CALLER)) return 0;
    return SendDlgItemMessageA(dialog, id, message, wParam, lParam);
}

int WINAPI HookSetStretchBltMode(HDC dc, int mode) {
    if (mode == HALFTONE && FromShipped(QV_CALLER)) return 0;
    return SetStretchBltMode(dc, mode);
}

INT_PTR WINAPI HookPropertySheetA(LPCPROPSHEETHEADERA header) {
    if (header && FromShipped(QV_CALLER) && !SheetSizesKnown(header)) return -1;
    return PropertySheetA(header);
}

struct Replacement {
    const char* Dll;
    const char* Function;
    void* Hook;
};
const Replacement Replacements[] = {
    {"kernel32.dll", "GetProcAddress", reinterpret_cast<void*>(&HookGetProcAddress)},
    {"kernel32.dll", "LoadLibraryA", reinterpret_cast<void*>(&HookLoadLibraryA)},
    {"kernel32.dll", "GetVersion", reinterpret_cast<void*>(&HookGetVersion)},
    {"kernel32.dll", "GetVersionExA", reinterpret_cast<void*>(&HookGetVersionExA)},
    {"user32.dll", "SendMessageA", reinterpret_cast<void*>(&HookSendMessageA)},
    {"user32.dll", "SendDlgItemMessageA", reinterpret_cast<void*>(&HookSendDlgItemMessageA)},
    {"gdi32.dll", "SetStretchBltMode", reinterpret_cast<void*>(&HookSetStretchBltMode)},
    {"comctl32.dll", "PropertySheetA", reinterpret_cast<void*>(&HookPropertySheetA)},
};

const ExportEntry* FindExport(const std::string& dll, const char* function) {
    for (const ExportEntry& e : g.Exports)
        if (e.Dll == dll && e.Function == function) return &e;
    return nullptr;
}

// What a shipped DLL gets for `function` of `dll`: null for what the older
// system lacks, its stub, the hook, or `real`.
void* Resolve(const std::string& dll, const char* function, void* real) {
    bool systemDll = false;
    for (const ExportEntry& e : g.Exports) systemDll = systemDll || e.Dll == dll;
    if (!systemDll) return real;
    const ExportEntry* entry = FindExport(dll, function);
    if (!entry) {
        SetLastError(ERROR_PROC_NOT_FOUND);
        return nullptr;
    }
    if (entry->Stub) return entry->Stub;
    for (const Replacement& r : Replacements)
        if (dll == r.Dll && strcmp(function, r.Function) == 0) return r.Hook;
    return real;
}

// ---- set-up ------------------------------------------------------------------

bool ReadExportList(std::string* error) {
    FILE* file = fopen(QV_SYSTEM_EXPORTS, "r");
    if (!file) {
        *error = std::string("cannot read ") + QV_SYSTEM_EXPORTS;
        return false;
    }
    char line[512];
    bool good = true;
    while (good && fgets(line, sizeof line, file)) {
        char dll[128], function[128], source[32];
        if (line[0] == '#' || sscanf(line, "%127s %127s %31s", dll, function, source) != 3) continue;
        ExportEntry entry{Lower(dll), function};
        if (strcmp(source, "stub") == 0) {
            for (const StubArguments& s : Stubs)
                if (entry.Function == s.Function) entry.Stub = StubWith(s.Count);
            if (!entry.Stub) {
                *error = "no stub for " + entry.Function + " (add its argument count to the personality)";
                good = false;
            }
        }
        if (strcmp(source, "ours") == 0 && !Listed(g.Shipped, entry.Dll)) g.Shipped.push_back(entry.Dll);
        g.Exports.push_back(entry);
    }
    fclose(file);
    return good;
}

bool SetUp(const std::string& name, std::string* error) {
    if (g.System) return true;
    if (sizeof(void*) != 4) {
        *error = "the system personalities are of the 32-bit build";
        return false;
    }
    for (const SystemTraits& s : Systems)
        if (name == s.Name) g.System = &s;
    if (!g.System) {
        *error = "QV_SYSTEM=" + name + " names no system (win95, win98)";
        return false;
    }
    if (ReadExportList(error)) return true;
    g.System = nullptr;
    g.Exports.clear();
    return false;
}

void WriteProtected(void* at, const void* value, size_t bytes) {
    DWORD old;
    VirtualProtect(at, bytes, PAGE_READWRITE, &old);
    memcpy(at, value, bytes);
    VirtualProtect(at, bytes, old, &old);
}

template <class T> T* At(HMODULE module, DWORD rva) {
    return reinterpret_cast<T*>(reinterpret_cast<BYTE*>(module) + rva);
}

const IMAGE_DATA_DIRECTORY& Directory(HMODULE module, int index) {
    const auto* nt = At<IMAGE_NT_HEADERS>(module, static_cast<DWORD>(At<IMAGE_DOS_HEADER>(module, 0)->e_lfanew));
    return nt->OptionalHeader.DataDirectory[index];
}

// The hooks and stubs in the export tables of the loaded system DLLs for as
// long as this lives, so that the loader binds the DLLs it loads to them.
class ExportPatches {
public:
    ExportPatches() {
        for (const Replacement& r : Replacements) Patch(r.Dll, r.Function, r.Hook);
        for (const ExportEntry& e : g.Exports)
            if (e.Stub) Patch(e.Dll.c_str(), e.Function.c_str(), e.Stub);
    }
    ~ExportPatches() {
        for (const Slot& s : m_slots) WriteProtected(s.At, &s.Old, sizeof s.Old);
    }
    ExportPatches(const ExportPatches&) = delete;
    ExportPatches& operator=(const ExportPatches&) = delete;

private:
    struct Slot {
        DWORD* At;
        DWORD Old;
    };
    void Patch(const char* dll, const char* function, void* target) {
        HMODULE module = GetModuleHandleA(dll);
        if (!module) return;  // loaded with the shipped DLLs: their import tables are bound below
        const IMAGE_DATA_DIRECTORY& dir = Directory(module, IMAGE_DIRECTORY_ENTRY_EXPORT);
        if (!dir.VirtualAddress) return;
        const auto* exports = At<IMAGE_EXPORT_DIRECTORY>(module, dir.VirtualAddress);
        const DWORD* names = At<DWORD>(module, exports->AddressOfNames);
        const WORD* ordinals = At<WORD>(module, exports->AddressOfNameOrdinals);
        DWORD* functions = At<DWORD>(module, exports->AddressOfFunctions);
        for (DWORD i = 0; i < exports->NumberOfNames; ++i) {
            if (strcmp(At<char>(module, names[i]), function) != 0) continue;
            Slot slot{&functions[ordinals[i]], functions[ordinals[i]]};
            // 32-bit addresses wrap: the loader adds this back to the DLL's base.
            const DWORD rva = static_cast<DWORD>(reinterpret_cast<ULONG_PTR>(target) - reinterpret_cast<ULONG_PTR>(module));
            WriteProtected(slot.At, &rva, sizeof rva);
            m_slots.push_back(slot);
            return;
        }
    }
    std::vector<Slot> m_slots;
};

// Every import of a loaded shipped DLL against the list: one the older
// system lacks refuses the load; stubs and hooks are bound.
bool BindImports(HMODULE module, std::string* error) {
    const IMAGE_DATA_DIRECTORY& dir = Directory(module, IMAGE_DIRECTORY_ENTRY_IMPORT);
    if (!dir.VirtualAddress) return true;
    for (const auto* d = At<IMAGE_IMPORT_DESCRIPTOR>(module, dir.VirtualAddress); d->Name; ++d) {
        const std::string dll = Lower(At<char>(module, d->Name));
        if (!d->OriginalFirstThunk) {
            *error = ModuleName(module) + " imports from " + dll + " without names";
            return false;
        }
        const auto* names = At<IMAGE_THUNK_DATA>(module, d->OriginalFirstThunk);
        auto* bound = At<IMAGE_THUNK_DATA>(module, d->FirstThunk);
        for (; names->u1.AddressOfData; ++names, ++bound) {
            if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal)) {
                *error = ModuleName(module) + " imports from " + dll + " by ordinal";
                return false;
            }
            const char* function =
                reinterpret_cast<const char*>(At<IMAGE_IMPORT_BY_NAME>(module, static_cast<DWORD>(names->u1.AddressOfData))->Name);
            void* real = reinterpret_cast<void*>(bound->u1.Function);
            void* target = Resolve(dll, function, real);
            if (!target) {
                *error = ModuleName(module) + " imports " + dll + " " + function + ", which " + g.System->Name + " lacks";
                return false;
            }
            if (target != real) {
                const ULONG_PTR value = reinterpret_cast<ULONG_PTR>(target);
                WriteProtected(&bound->u1.Function, &value, sizeof value);
            }
        }
    }
    return true;
}

}  // namespace

std::string SystemPersonalityName() {
    const char* name = getenv("QV_SYSTEM");
    return name ? name : "";
}

HMODULE LoadShippedLibrary(const std::string& path, std::string* error) {
    const std::string name = SystemPersonalityName();
    HMODULE module = nullptr;
    if (name.empty()) {
        module = LoadLibraryA(path.c_str());
    } else {
        if (!SetUp(name, error)) return nullptr;
        if (!Listed(g.Shipped, BaseName(path))) g.Shipped.push_back(BaseName(path));
        ExportPatches patches;
        module = LoadLibraryA(path.c_str());
    }
    if (!module) {
        *error = "cannot load " + path;
        return nullptr;
    }
    if (name.empty()) return module;
    for (const std::string& shipped : g.Shipped) {
        HMODULE loaded = GetModuleHandleA(shipped.c_str());
        if (loaded && !BindImports(loaded, error)) {
            FreeLibrary(module);
            return nullptr;
        }
    }
    return module;
}
