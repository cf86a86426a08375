#include "ui/color/setting_names.h"

#include <algorithm>
#include <cstring>

#include "ui/common/shift_jis.h"

namespace {

unsigned char FoldAscii(unsigned char c) { return c >= 'A' && c <= 'Z' ? static_cast<unsigned char>(c - 'A' + 'a') : c; }

// Character-wise comparison; in prefix mode `a` may go on after `b` ends.
bool CompareIgnoringCase(const char* a, const char* b, bool prefixOnly) {
    for (;;) {
        if (*b == '\0') return prefixOnly || *a == '\0';
        if (*a == '\0') return false;
        size_t na = CharBytes(a), nb = CharBytes(b);
        if (na != nb) return false;
        if (na == 2) {
            if (a[0] != b[0] || a[1] != b[1]) return false;
        } else if (FoldAscii(static_cast<unsigned char>(*a)) != FoldAscii(static_cast<unsigned char>(*b))) {
            return false;
        }
        a += na;
        b += nb;
    }
}

}  // namespace

size_t FitLength(const char* text, size_t maxBytes) {
    size_t at = 0;
    while (text[at] != '\0') {
        size_t n = CharBytes(text + at);
        if (at + n > maxBytes) break;
        at += n;
    }
    return at;
}

void CopyCut(char* dest, size_t destSize, const char* text, size_t maxBytes) {
    if (destSize == 0) return;
    if (maxBytes > destSize - 1) maxBytes = destSize - 1;
    size_t n = FitLength(text, maxBytes);
    std::memcpy(dest, text, n);
    std::memset(dest + n, 0, destSize - n);
}

bool EqualIgnoringCase(const char* a, const char* b) { return CompareIgnoringCase(a, b, false); }

bool StartsWithIgnoringCase(const char* text, const char* prefix) { return CompareIgnoringCase(text, prefix, true); }

int FindNamedItem(const std::vector<std::string>& items, const std::string& name, size_t exactFrom) {
    for (size_t i = exactFrom; i < items.size(); ++i)
        if (items[i] == name) return static_cast<int>(i);
    for (size_t i = 0; i < items.size(); ++i)
        if (StartsWithIgnoringCase(items[i].c_str(), name.c_str())) return static_cast<int>(i);
    return -1;
}

std::string TrimBlanks(const std::string& text) {
    const char* p = text.c_str();
    auto isBlank = [](const char* c, size_t n) {
        return (n == 1 && (*c == ' ' || *c == '\t')) ||
               (n == 2 && static_cast<unsigned char>(c[0]) == 0x81 && static_cast<unsigned char>(c[1]) == 0x40);
    };
    size_t begin = 0, end = 0;
    bool seen = false;
    for (size_t at = 0; p[at] != '\0';) {
        size_t n = CharBytes(p + at);
        if (!isBlank(p + at, n)) {
            if (!seen) begin = at;
            seen = true;
            end = at + n;
        }
        at += n;
    }
    return seen ? text.substr(begin, end - begin) : std::string();
}

StampFileCheck CheckStampFileName(const char* file) {
    size_t length = std::strlen(file);
    size_t trimmed = length;
    // Blanks and control characters are single bytes: no trail byte is 0x20 or below.
    while (trimmed > 0 && static_cast<unsigned char>(file[trimmed - 1]) <= 0x20) --trimmed;
    if (trimmed < 4) return StampFileCheck::TooShort;
    // The extension is four single-byte characters at the very end (trailing
    // blanks included), and its first byte must start a character.
    size_t at = 0;
    while (at < length - 4) at += CharBytes(file + at);
    if (at != length - 4) return StampFileCheck::WrongType;
    const char* tail = file + at;
    return EqualIgnoringCase(tail, ".bmp") || EqualIgnoringCase(tail, ".rle") ? StampFileCheck::Accepted
                                                                              : StampFileCheck::WrongType;
}

std::string UserSectionName(int n) { return "UserEnt" + std::to_string(n); }

const char* const UserNameKey = "UserEntName";
const char* const UserValueKeys[UserValueKeyCount] = {
    "BaseColor", "Bright", "Fullness", "Contrast", "CyanRed", "MagentaGreen",
    "YellowBlue", "Gannma", "Black", "Cyan", "Magenta", "Yellow",
};

std::string DefaultUserFileText() {
    // The block of one free section; an empty entry is an empty line.
    static const char* const block[] = {
        "UserEntName=", "", "BaseColor=0", "Bright=0", "Fullness=0", "Contrast=0", "CyanRed=0", "MagentaGreen=0",
        "YellowBlue=0", "", "Gannma=0", "Black=0", "Cyan=0", "Magenta=0", "Yellow=0", "",
    };
    std::string text;
    for (int n = 0; n < UserEntryCount; ++n) {
        text += "[" + UserSectionName(n) + "]\r\n";
        for (const char* line : block) text += std::string(line) + "\r\n";
    }
    return text;
}

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r'; }

bool IsLead(char c) { return IsLeadByte(static_cast<unsigned char>(c)); }

// Where the line that starts at `begin` ends, read as the profile functions
// read the file: by characters, so that a lead byte takes the byte after it
// even when that is a CR or LF.
size_t LineEnd(const std::string& file, size_t begin) {
    size_t i = begin;
    while (i < file.size() && file[i] != '\r' && file[i] != '\n') i += IsLead(file[i]) ? 2 : 1;
    return std::min(i, file.size());
}

// True when the line [begin, end) is a header of `section`: "[name]" with
// blanks allowed around the line and the name, name case ignored. What
// follows the first "]" does not count, as for the profile functions.
bool IsHeaderOf(const std::string& file, size_t begin, size_t end, const std::string& section) {
    while (begin < end && IsBlank(file[begin])) ++begin;
    if (begin == end || file[begin] != '[') return false;
    size_t close = ++begin;
    while (close < end && file[close] != ']') close += IsLead(file[close]) ? 2 : 1;
    if (close >= end) return false;
    while (begin < close && IsBlank(file[begin])) ++begin;
    while (close > begin && IsBlank(file[close - 1])) --close;
    return EqualIgnoringCase(file.substr(begin, close - begin).c_str(), section.c_str());
}

}  // namespace

std::string WithLinesInSection(const std::string& file, const std::string& section,
                               const std::vector<std::string>& lines) {
    std::string block;
    for (const std::string& line : lines) block += line + "\r\n";
    // Lines as the profile functions read them: a header they see must be
    // the one found here, or the lines would go into a section they never
    // read (and the next repair would add them again).
    for (size_t begin = 0; begin < file.size();) {
        const size_t end = LineEnd(file, begin);
        size_t next = end;
        if (next < file.size() && file[next] == '\r') ++next;
        if (next < file.size() && file[next] == '\n') ++next;
        if (IsHeaderOf(file, begin, end, section)) {
            if (end == file.size()) return file + "\r\n" + block;
            return file.substr(0, next) + block + file.substr(next);
        }
        begin = next;
    }
    // A blank line first, so that whatever the file ends with stays a line of its own.
    return file + "\r\n\r\n[" + section + "]\r\n" + block;
}

const char* const AbsentProbe1 = "DummyDef";
const char* const AbsentProbe2 = "DummyDef?";

bool KeyIsAbsent(const char* firstRead, const char* secondRead) {
    return std::strcmp(firstRead, AbsentProbe1) == 0 && std::strcmp(secondRead, AbsentProbe2) == 0;
}
