/* Nothing: the i686 mingw target adds no libgcc target macros. */
