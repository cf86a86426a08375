#include <unistd.h>

#include <iostream>

#include "fileio/file_output.h"
#include "tools/qvrdt/qvrdt.h"

int main(int argc, char** argv) {
    const std::vector<std::string> args = Utf8Arguments(argc, argv);
    return RunQvrdt(args, std::cout, std::cerr, isatty(STDERR_FILENO) != 0);
}
