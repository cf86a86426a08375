// Plays a host script (host/job/script_parse.h) into the printer properties
// of a session: the property sheet opened modelessly, every step acting on
// the window on top (the sheet's page, or the dialog a step opened), every
// message box answered as the script expects.
#pragma once

#include <functional>
#include <string>

#include "host/job/script_parse.h"

class HostSession;

struct ScriptResult {
    int Passed = 0;
    int Failed = 0;
    // A step the script cannot play (a control that the window on top does
    // not have, a sheet that would not open): the run stopped there.
    std::string Error;
    int Status() const { return !Error.empty() ? 2 : Failed ? 1 : 0; }
};

struct ScriptOptions {
    // Where the run's lines go (UTF-8, each ending with a newline): FAIL
    // lines, dumps and the closing count. Standard output when empty.
    std::function<void(const std::string&)> Print;
    // Bound on each window's wait for its next step, as the automation's watchdog.
    unsigned long WatchdogMs = 10000;
};

// Runs `script` on the open `session`; the job it leaves is session.Current().
ScriptResult RunScript(HostSession& session, const Script& script, const ScriptOptions& options = {});

// The `qvhost script` command on an open session: runs, prints, then saves
// the job to `savePath` (when given) only if every expectation held.
// Returns the exit status: 0 passed, 1 failed, 2 the script could not run.
int RunScriptCommand(HostSession& session, const Script& script, const std::string& savePath);
