#include "ui/framework/app_state.h"

namespace {
HINSTANCE g_resources;
}

bool InitFrameworkState(FrameworkState& state, HINSTANCE instance, HINSTANCE previous, LPSTR commandLine,
                        int show) {
    if (!instance) {
        state = {};
        return false;
    }
    state = {instance, previous, commandLine, show, true};
    if (!g_resources) g_resources = instance;
    return true;
}

void TermFrameworkState(FrameworkState& state) {
    if (state.Initialised && g_resources == state.Instance) g_resources = nullptr;
    state = {};
}

HINSTANCE FrameworkResourceHandle() { return g_resources ? g_resources : GetModuleHandleA(nullptr); }

void SetFrameworkResourceHandle(HINSTANCE instance) { g_resources = instance; }
