#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstring>

#include "tools/common/file_output.h"

namespace {

std::string Failure(const char* what, const std::string& path, int e) {
    return std::string(what) + " '" + path + "': " + std::strerror(e);
}

// The file that a save of `path` replaces: symbolic links are followed to
// the file they finally name, which need not exist yet.
bool FinalTarget(const std::string& path, std::string& target, std::string& error) {
    std::string p = path;
    for (int depth = 0; depth < 40; ++depth) {
        struct stat st;
        if (lstat(p.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) {
            target = p;
            return true;
        }
        char link[PATH_MAX];
        const ssize_t n = readlink(p.c_str(), link, sizeof link);
        if (n <= 0 || static_cast<size_t>(n) >= sizeof link) {
            error = Failure("cannot write", path, n < 0 ? errno : ENAMETOOLONG);
            return false;
        }
        std::string next(link, static_cast<size_t>(n));
        const size_t slash = p.rfind('/');
        if (next[0] != '/' && slash != std::string::npos) next = p.substr(0, slash + 1) + next;
        p = next;
    }
    error = Failure("cannot write", path, ELOOP);
    return false;
}

}  // namespace

void UseUtf8FilePaths() {}
std::string FilePathFromUtf8(const std::string& utf8) { return utf8; }
std::FILE* OpenFile(const std::string& path, const char* mode) { return std::fopen(path.c_str(), mode); }
bool FileExists(const std::string& path) {
    struct stat st;
    return stat(path.c_str(), &st) == 0;
}
bool MakeFolder(const std::string& path) {
    struct stat st;
    return mkdir(path.c_str(), 0777) == 0 || (stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode));
}

bool BeginSave(const std::string& path, SaveFile& save, std::string& error) {
    std::string target;
    if (!FinalTarget(path, target, error)) return false;
    struct stat st;
    const bool exists = stat(target.c_str(), &st) == 0 && S_ISREG(st.st_mode);
    // The write bits as well, since access() lets root write anything.
    if (exists && ((st.st_mode & 0222) == 0 || access(target.c_str(), W_OK) != 0)) {
        error = "cannot write '" + path + "': the file is read-only";
        return false;
    }
    const size_t slash = target.rfind('/');
    std::string temp = slash == std::string::npos ? "." + target : target.substr(0, slash + 1) + "." +
                                                                       target.substr(slash + 1);
    temp += ".XXXXXX";
    const int fd = mkstemp(&temp[0]);
    if (fd < 0) {
        error = Failure("cannot write", path, errno);
        return false;
    }
    mode_t mode;
    if (exists) {
        mode = st.st_mode & 07777;
        if (fchown(fd, st.st_uid, st.st_gid) != 0) {
            // Only root may give a file away; the owner stays the writer.
        }
    } else {
        const mode_t mask = umask(0);
        umask(mask);
        mode = 0666 & ~mask;
    }
    std::FILE* file = nullptr;
    if (fchmod(fd, mode) != 0 || !(file = fdopen(fd, "wb"))) {
        error = Failure("cannot write", path, errno);
        close(fd);
        unlink(temp.c_str());
        return false;
    }
    save.Path = path;
    save.Target = target;
    save.Temp = temp;
    save.File = file;
    return true;
}

bool CommitSave(SaveFile& save, std::string& error) {
    std::FILE* file = save.File;
    save.File = nullptr;
    int e = 0;
    if (std::fflush(file) != 0 || fsync(fileno(file)) != 0) e = errno;
    if (std::fclose(file) != 0 && e == 0) e = errno;
    if (e != 0) {
        error = Failure("cannot write", save.Path, e);
        unlink(save.Temp.c_str());
        return false;
    }
    if (std::rename(save.Temp.c_str(), save.Target.c_str()) != 0) {
        error = Failure("cannot replace", save.Path, errno);
        unlink(save.Temp.c_str());
        return false;
    }
    return true;
}

void AbandonSave(SaveFile& save) {
    if (save.File) std::fclose(save.File);
    save.File = nullptr;
    unlink(save.Temp.c_str());
}
