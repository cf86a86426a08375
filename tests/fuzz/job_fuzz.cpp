// Job file text: a refused text leaves the record alone, an accepted one
// reads back to the same record from its own formatting.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "host/job/default_settings.h"
#include "host/job/job_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const PrintSettings base = MakeDefaultSettings();
    const std::string text(reinterpret_cast<const char*>(data), size);

    PrintSettings out;
    memset(&out, 0xC3, sizeof out);
    const PrintSettings before = out;
    std::string error;
    if (!ParseJob(text, "fuzz", base, out, error)) {
        if (memcmp(&out, &before, sizeof out) != 0) abort();
        if (error.empty()) abort();
        return 0;
    }

    PrintSettings again;
    memset(&again, 0x3C, sizeof again);
    std::string error2;
    if (!ParseJob(FormatJob(out), "again", base, again, error2)) abort();
    if (memcmp(&again, &out, sizeof out) != 0) abort();
    return 0;
}
