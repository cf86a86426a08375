// The Win32 file functions of one path convention (see file_output.h): the
// A functions by default, the W functions once UseUtf8FilePaths was called.
// The W half is a file of its own, so that a program that never calls it
// imports none of them.
#pragma once

#include <windows.h>

#include <cstdio>
#include <string>

struct Win32FileApi {
    DWORD (*Attributes)(const std::string& path);
    BOOL (*SetAttributes)(const std::string& path, DWORD attributes);
    // Creates an empty file of a new name in `folder`.
    BOOL (*TempFile)(const std::string& folder, std::string& temp);
    BOOL (*Move)(const std::string& from, const std::string& to);
    // MoveFileEx replacing the target; FALSE with ERROR_CALL_NOT_IMPLEMENTED
    // where the system lacks it.
    BOOL (*MoveOver)(const std::string& from, const std::string& to);
    BOOL (*Delete)(const std::string& path);
    BOOL (*MakeFolder)(const std::string& path);
    std::FILE* (*Open)(const std::string& path, const char* mode);
    std::string (*Text)(const std::string& text);  // a UTF-8 text as a path
    std::string (*ErrorText)(DWORD code);
};

extern const Win32FileApi* g_fileApi;
