// Whole-file output that never leaves a partial file, and the few file
// operations that differ between platforms.
//
// A save writes a temporary file of a unique name beside the target and
// renames it over the target only when it is complete. It writes through a
// symbolic link to the file the link names, gives the new file the target's
// permissions and refuses a read-only target.
//
// Paths are byte strings: on POSIX as given; on Win32 in the ANSI code page
// (the A functions, which Windows 95 has) unless the program has called
// UseUtf8FilePaths: then they are UTF-8 (the W functions, NT only), and under
// Wine a path that begins with '/' names that Unix file.
#pragma once

#include <cstddef>
#include <cstdio>
#include <string>

bool WriteFileAtomically(const std::string& path, const void* data, size_t size, std::string& error);

void UseUtf8FilePaths();
// A UTF-8 text as a path in the convention above.
std::string FilePathFromUtf8(const std::string& utf8);
// fopen with the path convention above.
std::FILE* OpenFile(const std::string& path, const char* mode);
bool FileExists(const std::string& path);
// Creates a folder; true when it exists afterwards.
bool MakeFolder(const std::string& path);

// The platform half of a save.
struct SaveFile {
    std::string Path;    // as the caller named it, for messages
    std::string Target;  // the file that is replaced (a link's final target)
    std::string Temp;
    std::FILE* File = nullptr;
};
// Creates the temporary file, open for writing; false with a message when
// the target cannot be written.
bool BeginSave(const std::string& path, SaveFile& save, std::string& error);
// Closes the temporary file and renames it over the target; on failure it
// is removed and the target is untouched.
bool CommitSave(SaveFile& save, std::string& error);
void AbandonSave(SaveFile& save);

#ifdef _WIN32
// The replacement Windows 95 can make, which lacks MoveFileEx: the old file
// is moved aside, the new one moved in and the old one deleted; when the
// second move fails the old file is moved back.
bool ReplaceByMoving(const std::string& from, const std::string& to);
#endif
