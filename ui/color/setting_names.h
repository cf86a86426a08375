// Text rules of the registered user color settings and user stamps: names
// and file names are Shift-JIS, cut only at character boundaries and
// compared without folding double-byte characters. Portable.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

// Bytes a name may have: the registration dialog's limit, in bytes of
// Shift-JIS (a double-byte character counts two).
constexpr size_t NameLimitBytes = 10;
// Bytes of a stamp file name, typed or browsed.
constexpr size_t StampFileLimitBytes = 64;
// A name read back from the settings file keeps at most this many bytes.
constexpr size_t StoredNameReadBytes = 17;
// A list text copied into UserSettingName keeps at most this many bytes.
constexpr size_t SettingNameCopyBytes = 18;

// The length of the longest prefix of `text` that holds at most `maxBytes`
// bytes and ends on a character boundary.
size_t FitLength(const char* text, size_t maxBytes);

// Copies at most `maxBytes` bytes of `text`, ending on a character boundary,
// into `dest` of `destSize` bytes; the rest of `dest` is zero-filled.
// `maxBytes` is lowered to destSize - 1 when it would not fit.
void CopyCut(char* dest, size_t destSize, const char* text, size_t maxBytes);

// Compares character by character: single-byte ASCII letters without regard
// to case, double-byte characters (and everything else) byte for byte.
bool EqualIgnoringCase(const char* a, const char* b);
bool StartsWithIgnoringCase(const char* text, const char* prefix);

// Where a list shows `name`: the first item from `exactFrom` on whose text is
// `name` byte for byte; when there is none, the first item that begins with
// `name`, letter case ignored; -1 when none does. So "ABC" finds "ABC" even
// when "abcdef" comes first.
int FindNamedItem(const std::vector<std::string>& items, const std::string& name, size_t exactFrom = 0);

// `text` without the blanks around it: spaces, tabs and the double-byte
// ideographic space, which the settings file does not keep around a value.
std::string TrimBlanks(const std::string& text);

// Checks of a stamp file name, in the order the registration dialog applies
// them.
enum class StampFileCheck { Accepted, TooShort, WrongType };
StampFileCheck CheckStampFileName(const char* file);

// Sections of the user settings file.
constexpr int UserEntryCount = 10;
std::string UserSectionName(int n);  // "UserEnt" n

// Keys of a section, in file order; the name key first.
constexpr int UserValueKeyCount = 12;
extern const char* const UserNameKey;
extern const char* const UserValueKeys[UserValueKeyCount];

// The whole default file: ten free sections, CR LF line ends.
std::string DefaultUserFileText();

// Inserts `lines` (each without line end) right after the first header line
// of `section` in the file text `file`, or appends the section at the end
// when there is none. Lines are read as the profile functions read them:
// by characters (a lead byte takes the byte after it), ending at CR LF, CR
// or LF; a header is "[name]", whatever follows the first "]" aside. Every
// other byte of `file` stays as it is.
std::string WithLinesInSection(const std::string& file, const std::string& section,
                               const std::vector<std::string>& lines);

// Tells an absent key from a stored value with two reads of the same key
// under different defaults: a value equal to the first default is stored
// exactly when the second read does not give the second default.
extern const char* const AbsentProbe1;
extern const char* const AbsentProbe2;
bool KeyIsAbsent(const char* firstRead, const char* secondRead);
