// The main of the Windows tests. QV_FPU=CW runs them with that x87 control
// word, as a host program of its own may call the library with it.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>

#include "host/fpu_control.h"

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    if (const char* fpu = std::getenv("QV_FPU")) {
        unsigned short word = 0;
        if (!ParseControlWord(fpu, word)) {
            std::fprintf(stderr, "QV_FPU=%s is no control word\n", fpu);
            return 2;
        }
        SetControlWord(word);
    }
    return RUN_ALL_TESTS();
}
