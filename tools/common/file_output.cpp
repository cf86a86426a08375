#include "tools/common/file_output.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>

namespace {
struct FileCloser {
    void operator()(std::FILE* f) const {
        if (f) std::fclose(f);
    }
};
using File = std::unique_ptr<std::FILE, FileCloser>;
}  // namespace

bool WriteFileAtomically(const std::string& path, const void* data, size_t size, std::string& error) {
    const std::string temp = path + ".partial";
    {
        File f(std::fopen(temp.c_str(), "wb"));
        if (!f) {
            error = "cannot write '" + path + "': " + std::strerror(errno);
            return false;
        }
        const bool written = std::fwrite(data, 1, size, f.get()) == size && std::fflush(f.get()) == 0;
        const bool closed = std::fclose(f.release()) == 0;
        if (!written || !closed) {
            error = "cannot write '" + path + "': " + std::strerror(errno);
            std::remove(temp.c_str());
            return false;
        }
    }
    if (!RenameOver(temp, path)) {
        error = "cannot replace '" + path + "': " + std::strerror(errno);
        std::remove(temp.c_str());
        return false;
    }
    return true;
}
