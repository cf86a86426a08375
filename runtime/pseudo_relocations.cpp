// The start-up code applies the pseudo relocations of data imported from
// other DLLs. The shipped DLLs are linked with --disable-runtime-pseudo-reloc,
// so the linker refuses any such import and there is nothing to apply; this
// keeps the runtime's relocator (built for the Pentium Pro) out of them.
extern "C" void _pei386_runtime_relocator() {}
