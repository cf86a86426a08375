// The Version page. Its controls are not driven yet: every message is
// answered with 1.
#include "ui/common/page_exports.h"
#include "ui/common/page_state.h"

extern "C" int32_t QV_API VerPropPage(PageMessage* message, PrintSettings* current, PrintSettings* defaults) {
    BeginPageCall(PageKindVersion, message, current, defaults);
    return 1;
}
