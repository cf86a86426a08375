/* i386 numbers its DWARF registers and unwind columns alike. */
#define DWARF_REG_TO_UNWIND_COLUMN(REGNO) (REGNO)
