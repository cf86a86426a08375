#include "ui/framework/app_state.h"

bool InitFrameworkState(FrameworkState& state, HINSTANCE instance, HINSTANCE previous, LPSTR commandLine,
                        int show) {
    if (!instance) {
        state = {};
        return false;
    }
    state = {instance, previous, commandLine, show, true};
    return true;
}

void TermFrameworkState(FrameworkState& state) { state = {}; }
