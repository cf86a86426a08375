// The Version page (page kind 1004): the large logo, and the restore of
// every setting of the job to its default.
#include <cstddef>
#include <cstring>

#include "engine/engine_math.h"
#include "ui/color/color_page.h"
#include "ui/common/artwork_ids.h"
#include "ui/common/dialog_toolkit.h"
#include "ui/common/host_controls.h"
#include "ui/common/page_exports.h"
#include "ui/common/page_state.h"
#include "ui/main/main_page.h"
#include "ui/option/option_page.h"

namespace {

void DrawLogo() { DrawPagePicture(g_pages.VersionWindow, IDB_LOGO_LARGE); }

// Every field before UserStamps from the defaults; the registered stamps and
// what follows them stay. The pages already shown follow at once.
void RestoreDefaults() {
    constexpr size_t kept = offsetof(PrintSettings, UserStamps);
    auto* current = reinterpret_cast<uint8_t*>(g_pages.Current);
    memcpy(current, g_pages.Defaults, kept);

    if (IsWindow(g_pages.MainWindow)) RefreshMainPage(g_pages.MainWindow);
    if (IsWindow(g_pages.OptionWindow)) LoadOptionPage(g_pages.OptionWindow);
    if (IsWindow(g_pages.ColorWindow)) RefreshColorPage();
    InvalidateRect(g_pages.VersionWindow, nullptr, TRUE);
}

struct VersionRoute {
    uint32_t Message;
    uint32_t Control;  // 0: any
    void (*Action)();
};

const VersionRoute VersionRoutes[] = {
    {PageMsgPaint, 0, DrawLogo},
    {PageMsgDrawItem, 0, DrawLogo},
    {PageMsgCommand, IDC_RESTORE_DEFAULTS, RestoreDefaults},
};

}  // namespace

extern "C" int32_t QV_API VerPropPage(PageMessage* message, PrintSettings* current, PrintSettings* defaults) {
    const EngineArithmetic arithmetic;
    if (!BeginPageCall(PageKindVersion, message, current, defaults)) return 1;
    for (const VersionRoute& r : VersionRoutes) {
        if (r.Message != message->Message) continue;
        if (r.Message == PageMsgCommand && (message->WParam != r.Control || CommandCode(*message) != 0)) continue;
        r.Action();
        break;
    }
    return 1;
}
