#include "config/i386/gthr-win32.h"
