#include "host/job/job_file.h"

#include <cerrno>
#include <cmath>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <memory>
#include <set>
#include <sstream>
#include <vector>

#include "host/job/text_codec.h"
#include "fileio/file_output.h"

namespace {

#define QV_INT(name) {#name, offsetof(PrintSettings, name), JobFieldType::Int32, 4}
#define QV_DBL(name) {#name, offsetof(PrintSettings, name), JobFieldType::Double, 8}
#define QV_TXT(name) {#name, offsetof(PrintSettings, name), JobFieldType::Text, sizeof(PrintSettings::name)}
#define QV_SUB(rec, field)                                                                          \
    {#rec "." #field, offsetof(PrintSettings, rec) + offsetof(decltype(PrintSettings::rec), field), \
     JobFieldType::Int32, 4}
#define QV_SUBTXT(rec, field)                                                                       \
    {#rec "." #field, offsetof(PrintSettings, rec) + offsetof(decltype(PrintSettings::rec), field), \
     JobFieldType::Text, sizeof(decltype(PrintSettings::rec)::field)}
#define QV_STAMP(i)                                                                                          \
    {"UserStamps[" #i "].Name", offsetof(PrintSettings, UserStamps) + (i) * sizeof(UserStampEntry),          \
     JobFieldType::Text, sizeof(UserStampEntry::Name)},                                                      \
    {"UserStamps[" #i "].File",                                                                              \
     offsetof(PrintSettings, UserStamps) + (i) * sizeof(UserStampEntry) + offsetof(UserStampEntry, File), \
     JobFieldType::Text, sizeof(UserStampEntry::File)}

const JobField Fields[] = {
    QV_INT(PaperSize), QV_INT(CustomUnit), QV_DBL(CustomWidth), QV_DBL(CustomLength), QV_INT(OutputSize),
    QV_INT(PaperSource), QV_INT(MediaType), QV_INT(Orientation), QV_INT(PagesPerSheet), QV_INT(Duplex),
    QV_INT(PrintMode), QV_INT(Copies), QV_INT(CodeSwitch), QV_TXT(CodeText),
    QV_SUB(Layout, BindingSide), QV_SUB(Layout, Reserved), QV_SUB(Layout, BindingMargin),
    QV_SUB(Layout, TwoUpOrder), QV_SUB(Layout, FourUpOrder), QV_SUB(Layout, PageFrame), QV_SUB(Layout, FrameKind),
    QV_INT(ColorMode), QV_TXT(UserSettingName), QV_INT(Rendering), QV_INT(Color1049), QV_INT(Color1042),
    QV_INT(Color1044), QV_INT(BlackComposition),
    QV_SUB(Color, SampleImage), QV_SUB(Color, BaseColor), QV_SUB(Color, Bright), QV_SUB(Color, Fullness),
    QV_SUB(Color, Contrast), QV_SUB(Color, CyanRed), QV_SUB(Color, MagentaGreen), QV_SUB(Color, YellowBlue),
    QV_SUB(Density, Gannma), QV_SUB(Density, Black), QV_SUB(Density, Cyan), QV_SUB(Density, Magenta),
    QV_SUB(Density, Yellow),
    QV_INT(Option1079), QV_INT(Option1074), QV_INT(Option1077), QV_INT(NumberSwitch), QV_TXT(NumberText),
    QV_INT(Smoothing), QV_INT(TonerSave), QV_INT(Option1080), QV_INT(Option1102), QV_INT(Option1071),
    QV_INT(Option1072Off), QV_INT(Option1081), QV_INT(DuplexUnit), QV_INT(Option1226Off),
    {"MemoryNotice", offsetof(PrintSettings, MemoryNotice), JobFieldType::UInt16, 2},
    {"Unused270", offsetof(PrintSettings, Unused270), JobFieldType::UInt16, 2},
    QV_SUB(Stamp, StampOn), QV_SUB(Stamp, StampIndex), QV_SUBTXT(Stamp, StampName), QV_SUBTXT(Stamp, StampFile),
    QV_SUB(Stamp, StampPosition), QV_SUB(Stamp, StampColor), QV_SUB(Stamp, StampDensity), QV_SUB(Stamp, StampSize),
    QV_SUB(Stamp, StampOutline),
    QV_STAMP(0), QV_STAMP(1), QV_STAMP(2), QV_STAMP(3), QV_STAMP(4),
    QV_STAMP(5), QV_STAMP(6), QV_STAMP(7), QV_STAMP(8), QV_STAMP(9),
    {"Unused3380", offsetof(PrintSettings, Unused3380), JobFieldType::Int32, 4},
};

const uint8_t* At(const PrintSettings& s, const JobField& f) { return reinterpret_cast<const uint8_t*>(&s) + f.Offset; }
uint8_t* At(PrintSettings& s, const JobField& f) { return reinterpret_cast<uint8_t*>(&s) + f.Offset; }

std::string Trim(const std::string& s) {
    size_t b = s.find_first_not_of(" \t\r");
    if (b == std::string::npos) return std::string();
    size_t e = s.find_last_not_of(" \t\r");
    return s.substr(b, e - b + 1);
}

bool ParseInteger(const std::string& text, long long low, long long high, long long& value) {
    if (text.empty()) return false;
    const char* begin = text.c_str();
    char* end = nullptr;
    errno = 0;
    long long v = std::strtoll(begin, &end, 10);
    if (errno != 0 || *end != '\0' || end == begin || v < low || v > high) return false;
    value = v;
    return true;
}

}  // namespace

const JobField* JobFields(size_t* count) {
    *count = sizeof Fields / sizeof Fields[0];
    return Fields;
}

const JobField* FindJobField(const std::string& name) {
    for (const JobField& f : Fields)
        if (name == f.Name) return &f;
    return nullptr;
}

std::string FormatJobValue(const PrintSettings& s, const JobField& f) {
    char buffer[64];
    switch (f.Type) {
    case JobFieldType::Int32: {
        int32_t v;
        memcpy(&v, At(s, f), sizeof v);
        snprintf(buffer, sizeof buffer, "%d", static_cast<int>(v));
        return buffer;
    }
    case JobFieldType::UInt16: {
        uint16_t v;
        memcpy(&v, At(s, f), sizeof v);
        snprintf(buffer, sizeof buffer, "%u", static_cast<unsigned>(v));
        return buffer;
    }
    case JobFieldType::Double: {
        double v;
        memcpy(&v, At(s, f), sizeof v);
        snprintf(buffer, sizeof buffer, "%.17g", v);
        return buffer;
    }
    case JobFieldType::Text: {
        const char* text = reinterpret_cast<const char*>(At(s, f));
        std::string sjis(text, strnlen(text, f.Size));
        std::string utf8;
        if (!ShiftJisToUtf8(sjis, utf8)) {
            // Bytes that are no Shift-JIS text: keep what converts, one byte at a time.
            utf8.clear();
            for (unsigned char c : sjis)
                if (c >= 0x20 && c < 0x7F) utf8 += static_cast<char>(c);
        }
        return utf8;
    }
    }
    return std::string();
}

bool ParseJobValue(PrintSettings& s, const JobField& f, const std::string& text, std::string& reason) {
    long long v = 0;
    switch (f.Type) {
    case JobFieldType::Int32: {
        if (!ParseInteger(text, INT32_MIN, INT32_MAX, v)) {
            reason = "'" + text + "' is not a 32-bit integer";
            return false;
        }
        int32_t i = static_cast<int32_t>(v);
        memcpy(At(s, f), &i, sizeof i);
        return true;
    }
    case JobFieldType::UInt16: {
        if (!ParseInteger(text, 0, 0xFFFF, v)) {
            reason = "'" + text + "' is not an integer from 0 to 65535";
            return false;
        }
        uint16_t u = static_cast<uint16_t>(v);
        memcpy(At(s, f), &u, sizeof u);
        return true;
    }
    case JobFieldType::Double: {
        const char* begin = text.c_str();
        char* end = nullptr;
        errno = 0;
        double d = std::strtod(begin, &end);
        if (text.empty() || *end != '\0' || end == begin || (errno == ERANGE && std::isinf(d))) {
            reason = "'" + text + "' is not a number";
            return false;
        }
        memcpy(At(s, f), &d, sizeof d);
        return true;
    }
    case JobFieldType::Text: {
        std::string sjis;
        if (!Utf8ToShiftJis(text, sjis)) {
            reason = "the text is not UTF-8 that Shift-JIS can hold";
            return false;
        }
        if (sjis.size() >= f.Size || sjis.find('\0') != std::string::npos) {
            reason = "the text needs " + std::to_string(sjis.size() + 1) + " bytes; the field holds " +
                     std::to_string(f.Size);
            return false;
        }
        memset(At(s, f), 0, f.Size);
        memcpy(At(s, f), sjis.data(), sjis.size());
        return true;
    }
    }
    return false;
}

std::string FormatJob(const PrintSettings& s) {
    std::string out = "# QV-3810 print job: one setting per line, Name=value\n";
    for (const JobField& f : Fields) out += std::string(f.Name) + "=" + FormatJobValue(s, f) + "\n";
    return out;
}

bool ParseJob(const std::string& text, const std::string& name, const PrintSettings& base, PrintSettings& out,
              std::string& error) {
    PrintSettings s = base;
    std::set<std::string> seen;
    auto fail = [&](size_t line, const std::string& reason) {
        error = name + ":" + std::to_string(line) + ": " + reason;
        return false;
    };
    if (text.find('\0') != std::string::npos) return fail(1, "this is not a text file");
    std::istringstream in(text);
    std::string raw;
    size_t line = 0;
    while (std::getline(in, raw)) {
        ++line;
        if (line == 1 && raw.compare(0, 3, "\xEF\xBB\xBF") == 0) raw.erase(0, 3);
        if (!raw.empty() && raw.back() == '\r') raw.pop_back();
        const std::string l = Trim(raw);
        if (l.empty() || l[0] == '#') continue;
        const size_t eq = raw.find('=');
        if (eq == std::string::npos) return fail(line, "expected Name=value");
        const std::string key = Trim(raw.substr(0, eq));
        const JobField* f = FindJobField(key);
        if (!f) return fail(line, "unknown setting '" + key + "'");
        if (!seen.insert(key).second) return fail(line, "'" + key + "' is set twice");
        // A text keeps its spaces; numbers may have blanks around them.
        std::string value = raw.substr(eq + 1);
        if (f->Type != JobFieldType::Text) value = Trim(value);
        std::string reason;
        if (!ParseJobValue(s, *f, value, reason)) return fail(line, key + ": " + reason);
    }
    if (seen.empty()) return fail(line ? line : 1, "no settings in the file");
    out = s;
    return true;
}

bool LoadJobFile(const std::string& path, const PrintSettings& base, PrintSettings& out, std::string& error) {
    errno = 0;
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> in(OpenFile(path, "rb"), std::fclose);
    if (!in) {
        error = path + ": cannot open the job file: " + std::strerror(errno);
        return false;
    }
    std::string text;
    char chunk[64 * 1024];
    size_t n;
    while ((n = std::fread(chunk, 1, sizeof chunk, in.get())) > 0) {
        text.append(chunk, n);
        if (text.size() > MaxJobFileBytes) {
            error = path + ": the job file is larger than " + std::to_string(MaxJobFileBytes) + " bytes";
            return false;
        }
    }
    if (std::ferror(in.get())) {
        error = path + ": cannot read the job file: " + std::strerror(errno);
        return false;
    }
    return ParseJob(text, path, base, out, error);
}

bool SaveJobFile(const std::string& path, const PrintSettings& s, std::string& error) {
    const std::string text = FormatJob(s);
    return WriteFileAtomically(path, text.data(), text.size(), error);
}
