#include "tools/common/file_output.h"

#include <cerrno>
#include <cstring>

bool WriteFileAtomically(const std::string& path, const void* data, size_t size, std::string& error) {
    SaveFile save;
    if (!BeginSave(path, save, error)) return false;
    errno = 0;
    if (std::fwrite(data, 1, size, save.File) != size || std::fflush(save.File) != 0) {
        const int e = errno;
        error = "cannot write '" + path + "': " + (e ? std::strerror(e) : "the write failed");
        AbandonSave(save);
        return false;
    }
    return CommitSave(save, error);
}
