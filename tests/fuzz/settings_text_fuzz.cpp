// The user settings store's text rules against a character-list model of
// Shift-JIS, and the section writer on arbitrary file texts: it only ever
// inserts the new lines, right after the section's first header line (lines
// read by characters, ending at CR LF, CR or LF) or in a section appended at
// the end, where the next write finds it again.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "ui/color/setting_names.h"

namespace {

void Check(bool ok) {
    if (!ok) abort();
}

// The text as its characters: a lead byte with a trail byte after it is one
// character, every other byte stands alone.
using Chars = std::vector<std::string_view>;
Chars Characters(const char* text) {
    Chars out;
    out.reserve(strlen(text));
    for (const unsigned char* p = reinterpret_cast<const unsigned char*>(text); *p;) {
        const bool lead = (*p >= 0x81 && *p <= 0x9F) || (*p >= 0xE0 && *p <= 0xFC);
        const bool pair = lead && p[1] >= 0x40 && p[1] <= 0xFC && p[1] != 0x7F;
        out.emplace_back(reinterpret_cast<const char*>(p), pair ? 2 : 1);
        p += pair ? 2 : 1;
    }
    return out;
}

char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + ('a' - 'A')) : c; }

bool SameCharacter(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    return a.size() == 2 ? a == b : Lower(a[0]) == Lower(b[0]);
}

bool ModelStartsWith(const Chars& t, const Chars& p) {
    if (p.size() > t.size()) return false;
    for (size_t i = 0; i < p.size(); ++i)
        if (!SameCharacter(t[i], p[i])) return false;
    return true;
}

bool ModelEqual(const Chars& a, const Chars& b) { return a.size() == b.size() && ModelStartsWith(a, b); }
bool ModelEqual(const char* a, const char* b) { return ModelEqual(Characters(a), Characters(b)); }

// The same text with the case of every single-byte letter swapped; bytes of
// double-byte characters stay.
std::string SwapCase(const char* text) {
    std::string out;
    for (std::string_view c : Characters(text)) {
        std::string s(c);
        if (s.size() == 1 && ((s[0] >= 'a' && s[0] <= 'z') || (s[0] >= 'A' && s[0] <= 'Z'))) s[0] ^= 0x20;
        out += s;
    }
    return out;
}

void CheckComparisons(const char* a, const Chars& ca, const char* b, const Chars& cb) {
    Check(EqualIgnoringCase(a, b) == EqualIgnoringCase(b, a));
    Check(EqualIgnoringCase(a, b) == ModelEqual(ca, cb));
    Check(StartsWithIgnoringCase(a, b) == ModelStartsWith(ca, cb));
    Check(StartsWithIgnoringCase(b, a) == ModelStartsWith(cb, ca));
}

void CheckCaseSwap(const char* a) {
    Check(EqualIgnoringCase(a, a) && StartsWithIgnoringCase(a, "") && StartsWithIgnoringCase(a, a));
    const std::string swapped = SwapCase(a);
    Check(EqualIgnoringCase(a, swapped.c_str()) && EqualIgnoringCase(swapped.c_str(), a));
    // Swapping every letter byte, trail bytes too, keeps the text equal only
    // when no double-byte character has a letter for its trail byte.
    auto isLetter = [](char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); };
    std::string all(a);
    for (char& c : all)
        if (isLetter(c)) c ^= 0x20;
    bool letterTrail = false;
    for (std::string_view c : Characters(a)) letterTrail = letterTrail || (c.size() == 2 && isLetter(c[1]));
    Check(EqualIgnoringCase(a, all.c_str()) == !letterTrail);
}

// The longest run of whole characters from the start within `limit` bytes.
size_t ModelFit(const Chars& chars, size_t limit) {
    size_t at = 0;
    for (std::string_view c : chars) {
        if (at + c.size() > limit) break;
        at += c.size();
    }
    return at;
}

void CheckCut(const char* text, size_t maxBytes, size_t destSize) {
    const auto chars = Characters(text);
    Check(FitLength(text, maxBytes) == ModelFit(chars, maxBytes));

    // Exactly destSize bytes, so that a write past them is caught.
    std::vector<char> dest(destSize, '\xA5');
    CopyCut(dest.data(), destSize, text, maxBytes);
    if (destSize == 0) return;
    const size_t n = ModelFit(chars, maxBytes < destSize - 1 ? maxBytes : destSize - 1);
    Check(memcmp(dest.data(), text, n) == 0);
    for (size_t i = n; i < destSize; ++i) Check(dest[i] == '\0');
}

bool IsBlankCharacter(std::string_view c) { return c == " " || c == "\t" || c == "\x81\x40"; }

void CheckTrim(const char* text) {
    const auto chars = Characters(text);
    size_t first = 0, last = chars.size();
    while (first < last && IsBlankCharacter(chars[first])) ++first;
    while (last > first && IsBlankCharacter(chars[last - 1])) --last;
    std::string expected;
    for (size_t i = first; i < last; ++i) expected += chars[i];
    const std::string trimmed = TrimBlanks(text);
    Check(trimmed == expected);
    Check(TrimBlanks(trimmed) == trimmed);
}

void CheckStampName(const char* file) {
    const size_t length = strlen(file);
    size_t trimmed = length;
    while (trimmed > 0 && static_cast<unsigned char>(file[trimmed - 1]) <= ' ') --trimmed;
    StampFileCheck expected = StampFileCheck::WrongType;
    if (trimmed < 4) {
        expected = StampFileCheck::TooShort;
    } else {
        size_t at = 0;
        for (std::string_view c : Characters(file)) {
            if (at == length - 4) {
                std::string tail;
                for (size_t i = at; i < length; ++i) tail += Lower(file[i]);
                if (tail == ".bmp" || tail == ".rle") expected = StampFileCheck::Accepted;
                break;
            }
            at += c.size();
        }
    }
    Check(CheckStampFileName(file) == expected);
}

void CheckAbsentProbe(const std::string& value, bool stored) {
    auto read = [&](const char* fallback) { return stored ? value.c_str() : fallback; };
    Check(KeyIsAbsent(read(AbsentProbe1), read(AbsentProbe2)) == !stored);
}

// Whether the line is "[section]", with blanks and a CR allowed around the
// line and the name, and the name compared as the store compares names.
// The profile functions read the file by characters: a lead byte takes the
// byte after it whatever that is, a CR or LF included.
bool Lead(char c) {
    const unsigned char u = static_cast<unsigned char>(c);
    return (u >= 0x81 && u <= 0x9F) || (u >= 0xE0 && u <= 0xFC);
}

// "[name]" with blanks before it and around the name, the name up to the
// first "]"; whatever follows that "]" does not count.
bool IsHeader(const std::string& line, const std::string& section) {
    auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r'; };
    size_t b = 0;
    while (b < line.size() && blank(line[b])) ++b;
    if (b == line.size() || line[b] != '[') return false;
    size_t e = ++b;
    while (e < line.size() && line[e] != ']') e += Lead(line[e]) ? 2 : 1;
    if (e >= line.size()) return false;
    while (b < e && blank(line[b])) ++b;
    while (e > b && blank(line[e - 1])) --e;
    return ModelEqual(line.substr(b, e - b).c_str(), section.c_str());
}

// Lines as the profile functions read them: each ends at CR LF, a lone CR
// or a lone LF that is not the second byte of a character; `next` is where
// the following line begins.
struct Line {
    size_t begin, end, next;
};
std::vector<Line> Lines(const std::string& file) {
    std::vector<Line> out;
    size_t begin = 0;
    for (size_t i = 0; i < file.size();) {
        if (file[i] != '\r' && file[i] != '\n') {
            i += Lead(file[i]) ? 2 : 1;
            continue;
        }
        const size_t next = file.compare(i, 2, "\r\n") == 0 ? i + 2 : i + 1;
        out.push_back({begin, i, next});
        begin = i = next;
    }
    if (begin < file.size()) out.push_back({begin, file.size(), file.size()});
    return out;
}

// Where the lines go in `file`: just after the first header line of the
// section (the line end added when the header ends the file), or npos.
size_t InsertionPoint(const std::string& file, const std::string& section, bool& headerEndsFile) {
    headerEndsFile = false;
    for (const Line& line : Lines(file))
        if (IsHeader(file.substr(line.begin, line.end - line.begin), section)) {
            headerEndsFile = line.next == line.end;
            return line.next;
        }
    return std::string::npos;
}

std::string Block(const std::vector<std::string>& lines) {
    std::string block;
    for (const std::string& line : lines) block += line + "\r\n";
    return block;
}

// The result with the inserted block taken out at `at`, minus what the
// writer adds to end the file or to start the new section.
void CheckInserted(const std::string& file, const std::string& result, size_t at, const std::string& added,
                   const std::string& block) {
    Check(result.size() == file.size() + added.size() + block.size());
    Check(result.compare(0, at, file, 0, at) == 0);
    Check(result.compare(at, added.size(), added) == 0);
    Check(result.compare(at + added.size(), block.size(), block) == 0);
    Check(result.compare(at + added.size() + block.size(), std::string::npos, file, at, std::string::npos) == 0);
}

void CheckSectionWrite(const std::string& file, const std::string& section, const std::vector<std::string>& lines) {
    const std::string block = Block(lines);
    const std::string result = WithLinesInSection(file, section, lines);
    bool headerEndsFile;
    const size_t at = InsertionPoint(file, section, headerEndsFile);
    std::string added;
    if (at == std::string::npos) {
        added = "\r\n\r\n[" + section + "]\r\n";
        CheckInserted(file, result, file.size(), added, block);
    } else {
        if (headerEndsFile) added = "\r\n";
        CheckInserted(file, result, at, added, block);
    }

    // The next write finds the same header again (an appended one when its
    // name is plain), as long as the lines hold no line ends of their own.
    for (const std::string& line : lines)
        if (line.find_first_of("\r\n") != std::string::npos) return;
    // An appended header is found again when its name reads back as written:
    // printable single-byte characters, no blanks and no "]".
    bool plain = true;
    for (char c : section) plain = plain && c > ' ' && c < 0x7F && c != ']';
    if (at == std::string::npos && !plain) return;
    const std::vector<std::string> more = {"Next=1"};
    const std::string again = WithLinesInSection(result, section, more);
    const size_t next = at == std::string::npos ? file.size() + added.size() : at + added.size();
    CheckInserted(result, again, next, "", Block(more));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider in(data, size);
    const size_t maxBytes = in.ConsumeIntegral<uint8_t>() % 80;
    const size_t destSize = in.ConsumeIntegral<uint8_t>() % 40;
    const bool stored = in.ConsumeBool();
    const size_t lineCount = in.ConsumeIntegralInRange<size_t>(0, 3);
    const std::string section = in.ConsumeRandomLengthString(40);
    std::vector<std::string> lines;
    for (size_t i = 0; i < lineCount; ++i) lines.push_back(in.ConsumeRandomLengthString(80));
    const std::string file = in.ConsumeRemainingBytesAsString();

    // Every short text is checked on its own and against the others.
    std::vector<std::string> texts = {section, file.substr(0, 200)};
    texts.insert(texts.end(), lines.begin(), lines.end());
    std::vector<Chars> chars;
    for (const std::string& t : texts) chars.push_back(Characters(t.c_str()));
    for (size_t i = 0; i < texts.size(); ++i) {
        const char* t = texts[i].c_str();
        CheckCut(t, maxBytes, destSize);
        CheckTrim(t);
        CheckStampName(t);
        CheckAbsentProbe(texts[i], stored);
        CheckCaseSwap(t);
        for (size_t j = i; j < texts.size(); ++j) CheckComparisons(t, chars[i], texts[j].c_str(), chars[j]);
    }

    CheckSectionWrite(file, section, lines);
    static const std::string defaults = DefaultUserFileText();
    CheckSectionWrite(defaults, section, lines);
    return 0;
}
