// Per-module framework state: what an application or library records about
// the process that calls it, set by the framework's initialisation.
#pragma once

#include <windows.h>

struct FrameworkState {
    HINSTANCE Instance;
    HINSTANCE PreviousInstance;
    LPSTR CommandLine;
    int ShowState;
    bool Initialised;
};

// Records the instance, previous instance, command line and show state.
// Fails, leaving the state uninitialised, when there is no instance.
// The first successful initialisation also makes `instance` the module
// that dialog and page templates are loaded from, unless one was set.
bool InitFrameworkState(FrameworkState& state, HINSTANCE instance, HINSTANCE previous, LPSTR commandLine,
                        int show);
void TermFrameworkState(FrameworkState& state);

// The module holding the dialog and page templates of the framework's
// dialogs. Falls back to the process's executable when none was set, so
// that test programs find templates linked into themselves.
HINSTANCE FrameworkResourceHandle();
void SetFrameworkResourceHandle(HINSTANCE instance);

// Releases what the framework keeps for the calling thread (its window
// creation hook). Called when a thread detaches from the library.
void TermFrameworkThread();
