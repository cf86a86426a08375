#include <cstdio>

#include "tools/common/file_output.h"

bool RenameOver(const std::string& from, const std::string& to) { return std::rename(from.c_str(), to.c_str()) == 0; }
