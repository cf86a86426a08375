/* The libgcc build's configuration as far as the unwinder reads it: the
   compiler's release checking keeps the unwinder's run-time assertions. */
#define ENABLE_RUNTIME_CHECKING 1
