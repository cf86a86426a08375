// The notice box: a message with a check box "do not show this again".
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "ui/common/records.h"
#include "ui/framework/dialog.h"

class NoticeBox : public CDialog {
    DECLARE_DYNAMIC(NoticeBox)
public:
    // Template 2265 with `owner` (may be null).
    NoticeBox(const char* message, const char* caption, HICON icon, HWND owner);

    CStatic IconControl;        // static 2425
    std::string MessageText;    // static 2424
    int32_t DontShowAgain = 0;  // check box 2423; read back by OK only
    HICON IconHandle;
    std::string NoticeCaption;

protected:
    void DoDataExchange(CDataExchange* dx) override;
    BOOL OnInitDialog() override;
    void OnOK() override;
};

// The extra-memory notice (string 5106, caption "QV3810UI", the standard
// exclamation icon, no owner). Clears `settings.MemoryNotice` when the user
// ticked the box and pressed OK. Returns the box's result.
INT_PTR ShowMemoryNotice(PrintSettings& settings);
