#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstring>

#include "fileio/file_output.h"

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

// Creates the temporary file beside `target` with the permissions the new
// file gets; -1 with a message when it cannot.
int CreateTemporary(const std::string& path, const std::string& target, std::string& temp, std::string& error) {
    struct stat st;
    const bool exists = stat(target.c_str(), &st) == 0 && S_ISREG(st.st_mode);
    // The write bits as well, since access() lets root write anything.
    if (exists && ((st.st_mode & 0222) == 0 || access(target.c_str(), W_OK) != 0)) {
        error = "cannot write '" + path + "': the file is read-only";
        return -1;
    }
    const size_t slash = target.rfind('/');
    temp = slash == std::string::npos ? "." + target : target.substr(0, slash + 1) + "." + target.substr(slash + 1);
    temp += ".XXXXXX";
    const int fd = mkstemp(&temp[0]);
    if (fd < 0) {
        error = Failure("cannot write", path, errno);
        return -1;
    }
    mode_t mode;
    if (exists) {
        mode = st.st_mode & 07777;
        // Only root may give a file away; a file that stays the writer's
        // does not get the owner's setuid and setgid bits.
        if (fchown(fd, st.st_uid, st.st_gid) != 0) mode &= 0777;
    } else {
        const mode_t mask = umask(0);
        umask(mask);
        mode = 0666 & ~mask;
    }
    if (fchmod(fd, mode) != 0) {
        error = Failure("cannot write", path, errno);
        close(fd);
        unlink(temp.c_str());
        return -1;
    }
    return fd;
}

bool WriteAll(int fd, const void* data, size_t size) {
    const char* bytes = static_cast<const char*>(data);
    while (size > 0) {
        const ssize_t n = write(fd, bytes, size);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            if (n == 0) errno = ENOSPC;
            return false;
        }
        bytes += n;
        size -= static_cast<size_t>(n);
    }
    return true;
}

}  // namespace

std::vector<std::string> Utf8Arguments(int argc, char** argv) { return std::vector<std::string>(argv, argv + argc); }
std::FILE* OpenFile(const std::string& path, const char* mode) { return std::fopen(path.c_str(), mode); }
bool FileExists(const std::string& path) {
    struct stat st;
    return stat(path.c_str(), &st) == 0;
}
bool MakeFolder(const std::string& path) {
    struct stat st;
    return mkdir(path.c_str(), 0777) == 0 || (stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode));
}

bool WriteFileAtomically(const std::string& path, const void* data, size_t size, std::string& error) {
    std::string target, temp;
    if (!FinalTarget(path, target, error)) return false;
    const int fd = CreateTemporary(path, target, temp, error);
    if (fd < 0) return false;
    // On the disk before it takes the target's name.
    int e = WriteAll(fd, data, size) && fsync(fd) == 0 ? 0 : errno;
    if (close(fd) != 0 && e == 0) e = errno;
    if (e != 0) {
        error = Failure("cannot write", path, e);
        unlink(temp.c_str());
        return false;
    }
    if (std::rename(temp.c_str(), target.c_str()) != 0) {
        error = Failure("cannot replace", path, errno);
        unlink(temp.c_str());
        return false;
    }
    return true;
}
