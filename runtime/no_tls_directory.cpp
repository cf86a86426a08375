// Linked into the shipped 32-bit DLLs only. Windows 95 refuses to load a DLL
// that has a TLS directory dynamically, as the thunk loads QV3810T2. The
// runtime's start-up code asks for this callback and makes the runtime bring
// its TLS directory along; a null callback of our own keeps it out. The DLLs
// use no thread-local storage of the compiler's.
#include <windows.h>

extern "C" const PIMAGE_TLS_CALLBACK __dyn_tls_init_callback = nullptr;
