#pragma once

#include <windows.h>

#include "ui/common/page_exports.h"

struct DoubleRecord {
    int Calls;
    int Which;  // page kind, or 0 for MakeRdt
    PageMessage* MessagePointer;
    PageMessage Message;
    PrintSettings* Current;
    PrintSettings* Defaults;
    const ColorAdjustment* Color;
    uint8_t* Table;
    LONG DepthDuringCall;
};

typedef DoubleRecord*(WINAPI* DoubleLastCallFn)();
typedef void(WINAPI* DoubleSetResultFn)(int32_t);
