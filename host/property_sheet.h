// The printer properties: a property sheet with the four forwarded pages.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

class HostSession;

struct PageInfo {
    int32_t Kind;
    int Template;
    const char* Name;  // used in file names and messages
};
extern const PageInfo HostPages[4];

// Runs the sheet modally; true when the user left it with OK.
bool RunPropertySheet(HostSession& session, HWND owner);

// Opens the sheet without showing it to a user, brings each page to the
// front in turn and saves a picture of the sheet per page into `folder`.
// Returns the files written, in page order; empty on failure, with `error`
// saying why.
std::vector<std::string> ShootPropertySheet(HostSession& session, const std::string& folder, std::string& error);

// Opens the sheet modelessly and shows it; its pages forward their messages
// through `session` until CloseModelessSheet. Null on failure.
HWND OpenModelessSheet(HostSession& session);
void CloseModelessSheet(HWND sheet);
// Brings page `index` (0 Main ... 3 Version) to the front; its window.
HWND ShowSheetPage(HWND sheet, int index);

// Grows the sheet, its tab control, its pages and its buttons when `page`
// (with its controls) reaches past the page area the sheet made from the
// templates, as a page can in larger fonts or at another resolution. Every
// page calls it when it starts.
void FitSheetToPage(HWND sheet, HWND page);

// Processes pending messages until the thread is idle.
void PumpMessages(HWND sheet);
