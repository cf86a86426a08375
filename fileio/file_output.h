// Whole-file output that never leaves a partial file, and the few file
// operations that differ between platforms.
//
// A save writes a temporary file of a unique name beside the target, puts
// it on the disk and renames it over the target only then, so that a
// failure or a stop at any point leaves the old file or the new one. It
// writes through a symbolic link to the file the link names, gives the new
// file the target's permissions (on Windows its hidden, system and archive
// attributes) and refuses a read-only target.
//
// Paths and arguments are UTF-8: on POSIX as given; on Windows through the
// wide functions (the tools and the host run on NT and under Wine, where a
// path that begins with '/' names that Unix file).
#pragma once

#include <cstddef>
#include <cstdio>
#include <string>
#include <vector>

bool WriteFileAtomically(const std::string& path, const void* data, size_t size, std::string& error);

// The program's arguments (on Windows from its wide command line).
std::vector<std::string> Utf8Arguments(int argc, char** argv);
std::FILE* OpenFile(const std::string& path, const char* mode);
bool FileExists(const std::string& path);
// Creates a folder; true when it exists afterwards.
bool MakeFolder(const std::string& path);
