// Linked into the shipped 32-bit DLLs only. The runtime's locks (libgcc's
// gthr-win32) make their semaphores with CreateSemaphoreW, which Windows 95
// and 98 export as a stub that fails: a lock without its semaphore fails as
// soon as a second thread has to wait for it, and the driver may call in on
// more than one thread. Those semaphores have no name, so the ANSI function
// makes the same object; this import slot takes the place of KERNEL32's.
#include <windows.h>

namespace {

HANDLE WINAPI CreateUnnamedSemaphore(LPSECURITY_ATTRIBUTES attributes, LONG initial, LONG maximum, LPCWSTR name) {
    if (name) {
        SetLastError(ERROR_CALL_NOT_IMPLEMENTED);
        return nullptr;
    }
    return CreateSemaphoreA(attributes, initial, maximum, nullptr);
}

}  // namespace

extern "C" decltype(&CreateUnnamedSemaphore) const QvCreateSemaphoreSlot __asm__("__imp__CreateSemaphoreW@16") =
    CreateUnnamedSemaphore;
