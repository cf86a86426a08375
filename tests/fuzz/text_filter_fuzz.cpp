// The code and number text filters: each keeps a terminated prefix of its
// input made of allowed characters only, and never reaches past the text.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "ui/common/code_text.h"
#include "ui/main/number_text.h"

namespace {
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// The text as a zero-terminated heap block of exactly its size, so that any
// read past the terminator is caught.
std::vector<char> Terminated(const uint8_t* data, size_t size) {
    std::vector<char> text(data, data + size);
    text.push_back('\0');
    return text;
}

void CheckMarkFilter(const uint8_t* data, size_t size, bool (*filter)(char*), const char* marks) {
    std::vector<char> text = Terminated(data, size);
    const size_t before = strlen(text.data());
    const bool cut = filter(text.data());
    const size_t after = strlen(text.data());
    if (cut != (after < before)) abort();
    if (memcmp(text.data(), data, after) != 0) abort();
    int seen = 0;
    for (size_t i = 0; i < after; ++i)
        if (!IsDigit(text[i])) {
            if (!strchr(marks, text[i])) abort();
            if (++seen > 1) abort();
        }
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    // The first byte picks the capacity of the code text.
    const size_t capacity = 1 + data[0] % 24;
    ++data;
    --size;

    std::vector<char> code(capacity);
    const size_t copied = size < capacity ? size : capacity;
    memcpy(code.data(), data, copied);
    const bool changed = CutToCodeSet(code.data(), capacity);
    const size_t length = strnlen(code.data(), capacity);
    if (length == capacity) abort();  // not terminated
    for (size_t i = 0; i < length; ++i) {
        if (!IsCodeCharacter(static_cast<unsigned char>(code[i]))) abort();
        if (code[i] != static_cast<char>(data[i])) abort();
    }
    if (!changed && length < copied && memchr(data, 0, copied) != data + length) abort();

    CheckMarkFilter(data, size, KeepDigitsAndOnePoint, ".");
    CheckMarkFilter(data, size, KeepDigitsAndOneSign, "+-");

    std::vector<char> text = Terminated(data, size);
    const int32_t value = LeadingInteger(text.data());
    char margin[16];
    FormatMargin(value, margin);
    if (!memchr(margin, 0, sizeof margin)) abort();
    if (LeadingInteger(margin) != value) abort();
    const int32_t clamped = ClampMargin(value);
    if (clamped < MarginMin || clamped > MarginMax) abort();
    return 0;
}
