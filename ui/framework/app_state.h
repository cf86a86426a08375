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
bool InitFrameworkState(FrameworkState& state, HINSTANCE instance, HINSTANCE previous, LPSTR commandLine,
                        int show);
void TermFrameworkState(FrameworkState& state);
