#include <unistd.h>

#include <iostream>

#include "tools/qvrdt/qvrdt.h"

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv, argv + argc);
    return RunQvrdt(args, std::cout, std::cerr, isatty(STDERR_FILENO) != 0);
}
