// The Main page. Its controls are not driven yet: every message is
// answered with 1.
#include "ui/common/page_exports.h"
#include "ui/common/page_state.h"

extern "C" int32_t QV_API MainPropPage(PageMessage* message, PrintSettings* current, PrintSettings* defaults) {
    BeginPageCall(PageKindMain, message, current, defaults);
    return 1;
}
