// A stand-in QV3810ui for the bridge tests: records what each export was
// called with and answers with a chosen result.
#include <windows.h>

#include "tests/win32/ui_double.h"
#include "thunk/standin.h"

namespace {
DoubleRecord g_record;
int32_t g_result = 1;

int32_t Record(int which, PageMessage* message, PrintSettings* current, PrintSettings* defaults) {
    ++g_record.Calls;
    g_record.Which = which;
    g_record.MessagePointer = message;
    if (message) g_record.Message = *message;
    g_record.Current = current;
    g_record.Defaults = defaults;
    g_record.DepthDuringCall = StandInCounters()->Depth;
    return g_result;
}
}  // namespace

extern "C" {
__declspec(dllexport) DoubleRecord* WINAPI DoubleLastCall() { return &g_record; }
__declspec(dllexport) void WINAPI DoubleSetResult(int32_t result) { g_result = result; }

int32_t QV_API MainPropPage(PageMessage* m, PrintSettings* c, PrintSettings* d) { return Record(1001, m, c, d); }
int32_t QV_API ColorPropPage(PageMessage* m, PrintSettings* c, PrintSettings* d) { return Record(1002, m, c, d); }
int32_t QV_API OptPropPage(PageMessage* m, PrintSettings* c, PrintSettings* d) { return Record(1003, m, c, d); }
int32_t QV_API VerPropPage(PageMessage* m, PrintSettings* c, PrintSettings* d) { return Record(1004, m, c, d); }
int32_t QV_API MakeRdt(const ColorAdjustment* color, uint8_t* table) {
    ++g_record.Calls;
    g_record.Which = 0;
    g_record.Color = color;
    g_record.Table = table;
    g_record.DepthDuringCall = StandInCounters()->Depth;
    return 1;
}
}
