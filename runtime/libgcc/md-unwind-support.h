#include "config/i386/w32-unwind.h"
