// The x87 control word of the calling thread. A host process sets it as it
// likes before it calls the pages (`qvhost --fpu`, and QV_FPU of the tests).
#pragma once

#include <cstdlib>
#include <string>

// A control word written as an unsigned number of C (0x037F, 895); false
// for any other text and for values above 0xFFFF.
inline bool ParseControlWord(const std::string& text, unsigned short& word) {
    if (text.empty() || text[0] < '0' || text[0] > '9') return false;
    char* end = nullptr;
    const unsigned long value = std::strtoul(text.c_str(), &end, 0);
    if (*end != '\0' || value > 0xFFFF) return false;
    word = static_cast<unsigned short>(value);
    return true;
}

// Pending exceptions are cleared first, so that an unmasking word does not
// raise one that an earlier computation left.
inline void SetControlWord(unsigned short word) { __asm__ __volatile__("fnclex\n\tfldcw %0" : : "m"(word)); }
