// Whole-file output that never leaves a partial file: the data goes to a
// temporary file beside the target, which is renamed over the target only
// when it is complete.
#pragma once

#include <cstddef>
#include <string>

bool WriteFileAtomically(const std::string& path, const void* data, size_t size, std::string& error);

// Renames `from` over `to`, replacing it (the platform's own way).
bool RenameOver(const std::string& from, const std::string& to);
