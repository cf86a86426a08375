// The host's side of the thunk: the job's records, registered as segments,
// and every page message and table request sent through QV3810T2.
#pragma once

#include <windows.h>

#include <string>

#include "thunk/standin.h"
#include "ui/common/records.h"

class HostSession {
public:
    HostSession();
    ~HostSession();
    HostSession(const HostSession&) = delete;
    HostSession& operator=(const HostSession&) = delete;

    // Loads QV3810T2 (and through it QV3810ui) from the program's folder.
    bool Open(const PrintSettings& current, const PrintSettings& defaults);
    bool IsOpen() const { return m_bridge != nullptr; }
    HMODULE Bridge() const { return m_bridge; }
    // Why Open could not load the DLLs.
    const std::string& LoadError() const { return m_loadError; }

    // Sends one page message as the 16-bit driver does; returns its Boolean.
    WORD Forward(int32_t kind, HWND page, UINT message, WPARAM wParam, LPARAM lParam);
    // The driver's page procedure for one window message: forwards what the
    // driver forwards (init, paint once validated, draw item, command, the
    // Color page's horizontal scroll, set and kill active) and tells whether
    // it did; `answer` receives the page's Boolean.
    bool ForwardPageMessage(int32_t kind, HWND page, UINT message, WPARAM wParam, LPARAM lParam,
                            WORD* answer = nullptr);
    // Asks for the rendering data table of `color` (RdtBytes into `table`).
    void RenderingTable(const ColorAdjustment& color, uint8_t* table);

    PrintSettings& Current() { return *m_current; }
    const PrintSettings& Defaults() const { return *m_defaults; }

private:
    HMODULE m_bridge = nullptr;
    // Host memory: the records and the message live in pages of their own so
    // that what the system must only read is mapped read-only during calls.
    BYTE* m_memory = nullptr;
    PrintSettings* m_current = nullptr;
    PrintSettings* m_defaults = nullptr;
    SEGPTR16 m_current16 = 0;
    SEGPTR16 m_defaults16 = 0;
    uint32_t m_hostValue = 0x3810;
    std::string m_loadError;
};
