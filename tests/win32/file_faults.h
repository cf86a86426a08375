// The file operations of code linked into a test, through the program's
// imports: every call counts, and a plan makes the call numbered `At` fail
// alone, or every call from it on, as if the process had died there. A
// failure says what a file that another program holds open says. The plan
// also notes the order of flushes and renames.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "tests/win32/test_support.h"

struct FaultPlan {
    int Calls = 0;
    int At = 0;  // 0: none fails
    bool Stop = false;
    bool MovesFail = false;  // every rename, as when the file is held open
    std::string Log;         // the calls, "F" for a flush and "M" for a rename each
};
inline FaultPlan g_plan;

inline bool Faulted(char kind = '.') {
    ++g_plan.Calls;
    g_plan.Log += kind;
    const bool move = kind == 'M';
    const bool fail = (g_plan.At > 0 && (g_plan.Stop ? g_plan.Calls >= g_plan.At : g_plan.Calls == g_plan.At)) ||
                      (move && g_plan.MovesFail);
    if (fail) SetLastError(ERROR_SHARING_VIOLATION);
    return fail;
}

namespace faulty {

inline decltype(&CreateFileA) g_createFileA;
inline decltype(&CreateFileW) g_createFileW;
inline decltype(&ReadFile) g_readFile;
inline decltype(&WriteFile) g_writeFile;
inline decltype(&FlushFileBuffers) g_flush;
inline decltype(&MoveFileA) g_moveA;
inline decltype(&MoveFileExW) g_moveExW;
inline decltype(&DeleteFileA) g_deleteA;
inline decltype(&DeleteFileW) g_deleteW;
inline decltype(&GetFileAttributesA) g_attributesA;
inline decltype(&GetFileAttributesW) g_attributesW;
inline decltype(&SetFileAttributesA) g_setAttributesA;
inline decltype(&SetFileAttributesW) g_setAttributesW;
inline decltype(&GetTempFileNameW) g_tempNameW;
inline decltype(&WritePrivateProfileStringA) g_writeProfile;

inline HANDLE WINAPI CreateFileA(LPCSTR a, DWORD b, DWORD c, LPSECURITY_ATTRIBUTES d, DWORD e, DWORD f, HANDLE g) {
    return Faulted() ? INVALID_HANDLE_VALUE : g_createFileA(a, b, c, d, e, f, g);
}
inline HANDLE WINAPI CreateFileW(LPCWSTR a, DWORD b, DWORD c, LPSECURITY_ATTRIBUTES d, DWORD e, DWORD f, HANDLE g) {
    return Faulted() ? INVALID_HANDLE_VALUE : g_createFileW(a, b, c, d, e, f, g);
}
inline BOOL WINAPI ReadFile(HANDLE a, LPVOID b, DWORD c, LPDWORD d, LPOVERLAPPED e) {
    return Faulted() ? FALSE : g_readFile(a, b, c, d, e);
}
inline BOOL WINAPI WriteFile(HANDLE a, LPCVOID b, DWORD c, LPDWORD d, LPOVERLAPPED e) {
    return Faulted() ? FALSE : g_writeFile(a, b, c, d, e);
}
inline BOOL WINAPI FlushFileBuffers(HANDLE a) { return Faulted('F') ? FALSE : g_flush(a); }
inline BOOL WINAPI MoveFileA(LPCSTR a, LPCSTR b) { return Faulted('M') ? FALSE : g_moveA(a, b); }
inline BOOL WINAPI MoveFileExW(LPCWSTR a, LPCWSTR b, DWORD c) { return Faulted('M') ? FALSE : g_moveExW(a, b, c); }
inline BOOL WINAPI DeleteFileA(LPCSTR a) { return Faulted() ? FALSE : g_deleteA(a); }
inline BOOL WINAPI DeleteFileW(LPCWSTR a) { return Faulted() ? FALSE : g_deleteW(a); }
inline DWORD WINAPI GetFileAttributesA(LPCSTR a) { return Faulted() ? INVALID_FILE_ATTRIBUTES : g_attributesA(a); }
inline DWORD WINAPI GetFileAttributesW(LPCWSTR a) { return Faulted() ? INVALID_FILE_ATTRIBUTES : g_attributesW(a); }
inline BOOL WINAPI SetFileAttributesA(LPCSTR a, DWORD b) { return Faulted() ? FALSE : g_setAttributesA(a, b); }
inline BOOL WINAPI SetFileAttributesW(LPCWSTR a, DWORD b) { return Faulted() ? FALSE : g_setAttributesW(a, b); }
inline UINT WINAPI GetTempFileNameW(LPCWSTR a, LPCWSTR b, UINT c, LPWSTR d) {
    return Faulted() ? 0 : g_tempNameW(a, b, c, d);
}
inline BOOL WINAPI WritePrivateProfileStringA(LPCSTR a, LPCSTR b, LPCSTR c, LPCSTR d) {
    return Faulted() ? FALSE : g_writeProfile(a, b, c, d);
}

}  // namespace faulty

// While it lives, the program's file calls go through the plan; those it
// does not import stay as they are.
class FaultyFileCalls {
public:
    FaultyFileCalls() { Swap(true); }
    ~FaultyFileCalls() { Swap(false); }
    FaultyFileCalls(const FaultyFileCalls&) = delete;
    FaultyFileCalls& operator=(const FaultyFileCalls&) = delete;

private:
    static void Swap(bool in) {
        const struct {
            const char* Name;
            void** Real;
            void* Faulty;
        } calls[] = {
            {"CreateFileA", reinterpret_cast<void**>(&faulty::g_createFileA), reinterpret_cast<void*>(faulty::CreateFileA)},
            {"CreateFileW", reinterpret_cast<void**>(&faulty::g_createFileW), reinterpret_cast<void*>(faulty::CreateFileW)},
            {"ReadFile", reinterpret_cast<void**>(&faulty::g_readFile), reinterpret_cast<void*>(faulty::ReadFile)},
            {"WriteFile", reinterpret_cast<void**>(&faulty::g_writeFile), reinterpret_cast<void*>(faulty::WriteFile)},
            {"FlushFileBuffers", reinterpret_cast<void**>(&faulty::g_flush), reinterpret_cast<void*>(faulty::FlushFileBuffers)},
            {"MoveFileA", reinterpret_cast<void**>(&faulty::g_moveA), reinterpret_cast<void*>(faulty::MoveFileA)},
            {"MoveFileExW", reinterpret_cast<void**>(&faulty::g_moveExW), reinterpret_cast<void*>(faulty::MoveFileExW)},
            {"DeleteFileA", reinterpret_cast<void**>(&faulty::g_deleteA), reinterpret_cast<void*>(faulty::DeleteFileA)},
            {"DeleteFileW", reinterpret_cast<void**>(&faulty::g_deleteW), reinterpret_cast<void*>(faulty::DeleteFileW)},
            {"GetFileAttributesA", reinterpret_cast<void**>(&faulty::g_attributesA),
             reinterpret_cast<void*>(faulty::GetFileAttributesA)},
            {"GetFileAttributesW", reinterpret_cast<void**>(&faulty::g_attributesW),
             reinterpret_cast<void*>(faulty::GetFileAttributesW)},
            {"SetFileAttributesA", reinterpret_cast<void**>(&faulty::g_setAttributesA),
             reinterpret_cast<void*>(faulty::SetFileAttributesA)},
            {"SetFileAttributesW", reinterpret_cast<void**>(&faulty::g_setAttributesW),
             reinterpret_cast<void*>(faulty::SetFileAttributesW)},
            {"GetTempFileNameW", reinterpret_cast<void**>(&faulty::g_tempNameW), reinterpret_cast<void*>(faulty::GetTempFileNameW)},
            {"WritePrivateProfileStringA", reinterpret_cast<void**>(&faulty::g_writeProfile),
             reinterpret_cast<void*>(faulty::WritePrivateProfileStringA)},
        };
        for (const auto& c : calls) {
            if (in) *c.Real = SwapImport("kernel32.dll", c.Name, c.Faulty);
            else if (*c.Real) SwapImport("kernel32.dll", c.Name, *c.Real);
        }
    }
};
