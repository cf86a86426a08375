#include "ui/color/user_settings_store.h"

#include <windows.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "ui/common/file_path.h"
#include "ui/common/format_text.h"

UserEntry g_userEntries[UserEntryCount];

namespace {

char g_computedPath[MAX_PATH];
char g_usedPath[MAX_PATH];  // set by tests; empty = the computed path
// The file that the profile reads and writes go to instead of the settings
// file: an edit's new file while the edit is open, or the backup while it
// cannot be put back.
char g_profilePath[MAX_PATH];
// The system's reason of the first failure of the last write; 0 when it
// wrote or had nothing to write.
DWORD g_writeError;

constexpr size_t ReadBufferBytes = 256;  // longer values are cut well before this

const char* ProfilePath() { return g_profilePath[0] != '\0' ? g_profilePath : UserSettingsPath(); }

// Notes the reason of the file operation that just failed; false, for returns.
bool Failed() {
    const DWORD e = GetLastError();
    if (g_writeError == 0) g_writeError = e != 0 ? e : ERROR_WRITE_FAULT;
    return false;
}

void ReadTextRaw(const char* section, const char* key, const char* fallback, char (&buffer)[ReadBufferBytes]) {
    GetPrivateProfileStringA(section, key, fallback, buffer, ReadBufferBytes, ProfilePath());
}

// Reads the name key of section `n`: false when the key is absent.
bool ReadSectionName(int n, char (&name)[StoredNameReadBytes + 1]) {
    return ReadProfileName(UserSectionName(n).c_str(), UserNameKey, sizeof name, name);
}

int32_t* ValueField(UserEntry& entry, int key) {
    int32_t* color[] = {&entry.Color.BaseColor, &entry.Color.Bright, &entry.Color.Fullness,
                        &entry.Color.Contrast, &entry.Color.CyanRed, &entry.Color.MagentaGreen,
                        &entry.Color.YellowBlue};
    int32_t* density[] = {&entry.Density.Gannma, &entry.Density.Black, &entry.Density.Cyan,
                          &entry.Density.Magenta, &entry.Density.Yellow};
    return key < 7 ? color[key] : density[key - 7];
}

UserEntry* FindRecord(const char* name) {
    for (UserEntry& entry : g_userEntries)
        if (entry.Name[0] != '\0' && std::strcmp(entry.Name, name) == 0) return &entry;
    return nullptr;
}

// The first section whose name equals `name` (byte for byte), or -1.
int FindSection(const char* name) {
    for (int n = 0; n < UserEntryCount; ++n) {
        char stored[StoredNameReadBytes + 1];
        if (ReadSectionName(n, stored) && std::strcmp(stored, name) == 0) return n;
    }
    return -1;
}

// Whether a file is there; a failed look tells neither.
enum class Presence { Absent, Present, Unknown };
Presence PresenceOf(const char* path, DWORD* attributes = nullptr) {
    const DWORD found = GetFileAttributesA(path);
    if (attributes) *attributes = found;
    if (found != INVALID_FILE_ATTRIBUTES) return Presence::Present;
    const DWORD e = GetLastError();
    return e == ERROR_FILE_NOT_FOUND || e == ERROR_PATH_NOT_FOUND ? Presence::Absent : Presence::Unknown;
}

struct HandleCloser {
    void operator()(HANDLE h) const { CloseHandle(h); }
};
using FileHandle = std::unique_ptr<void, HandleCloser>;

FileHandle OpenHandle(const std::string& path, DWORD access, DWORD creation) {
    HANDLE h = CreateFileA(path.c_str(), access, access == GENERIC_READ ? FILE_SHARE_READ : 0, nullptr, creation,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    return FileHandle(h == INVALID_HANDLE_VALUE ? nullptr : h);
}

bool ReadWholeFile(const char* path, std::string& text) {
    const FileHandle file = OpenHandle(path, GENERIC_READ, OPEN_EXISTING);
    if (!file) return Failed();
    text.clear();
    std::vector<char> chunk(65536);
    for (;;) {
        DWORD n = 0;
        if (!ReadFile(file.get(), chunk.data(), static_cast<DWORD>(chunk.size()), &n, nullptr)) return Failed();
        if (n == 0) return true;
        text.append(chunk.data(), n);
    }
}

// ---- replacing the file in one step
//
// The file is never rewritten in place: a new file is written beside it
// under NewFilePath(), flushed to the disk, and then takes its name. Windows
// 95 and 98 cannot rename over an existing file (MoveFileEx and ReplaceFile
// are NT only), so the old file first moves aside to BackupPath(). At every
// moment a complete file is under the file's own name or under the backup
// name:
// - the backup without the file: the backup is the only complete file. It
//   is put back before anything else happens, and nothing is written while
//   it cannot be (loads read the backup meanwhile);
// - the backup beside the file: the new file has its name, and it was on
//   the disk before it did, so the backup goes.
// RecoverReplacement() does this at the start of every load and write.
// The tools' save helper needs none of this: it runs on NT, where the
// system's own rename replaces the file in one step.

std::string NewFilePath() { return WithExtension(UserSettingsPath(), "$$$"); }
std::string BackupPath() { return WithExtension(UserSettingsPath(), "in$"); }

// Writes `text` as the whole file `path`, replacing a leftover of a change
// that stopped (which may be read-only).
bool WriteNewFile(const std::string& path, const std::string& text) {
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    const FileHandle file = OpenHandle(path, GENERIC_WRITE, CREATE_ALWAYS);
    if (!file) return Failed();
    DWORD written = 0;
    if (!WriteFile(file.get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr)) return Failed();
    if (written != text.size()) {
        SetLastError(ERROR_DISK_FULL);
        return Failed();
    }
    return true;
}

bool FlushToDisk(const std::string& path) {
    const FileHandle file = OpenHandle(path, GENERIC_WRITE, OPEN_EXISTING);
    return (file && FlushFileBuffers(file.get())) || Failed();
}

// True when no backup is left. A new file left by a change that stopped
// before its rename goes too: the change is given up.
bool RecoverReplacement() {
    const std::string fresh = NewFilePath();
    if (PresenceOf(fresh.c_str()) == Presence::Present) {
        SetFileAttributesA(fresh.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileA(fresh.c_str());
    }
    const std::string backup = BackupPath();
    switch (PresenceOf(backup.c_str())) {
    case Presence::Absent:
        return true;
    case Presence::Present:
        break;
    case Presence::Unknown:
        return Failed();
    }
    switch (PresenceOf(UserSettingsPath())) {
    case Presence::Absent:
        return MoveFileA(backup.c_str(), UserSettingsPath()) || Failed();
    case Presence::Present:
        return DeleteFileA(backup.c_str()) || Failed();
    case Presence::Unknown:
        break;
    }
    return Failed();
}

// Puts the complete file `fresh` in the place of the settings file.
bool ReplaceWithNewFile(const std::string& fresh) {
    if (!FlushToDisk(fresh)) return false;
    const char* path = UserSettingsPath();
    const std::string backup = BackupPath();
    DWORD attributes = 0;
    const Presence old = PresenceOf(path, &attributes);
    if (old == Presence::Unknown) return Failed();
    const bool hadFile = old == Presence::Present;
    if (hadFile && (attributes & FILE_ATTRIBUTE_READONLY)) {  // as a write into it would fail
        SetLastError(ERROR_ACCESS_DENIED);
        return Failed();
    }
    if (hadFile && !MoveFileA(path, backup.c_str())) return Failed();
    if (!MoveFileA(fresh.c_str(), path)) {
        Failed();
        if (hadFile) MoveFileA(backup.c_str(), path);  // else the next recovery does
        return false;
    }
    if (hadFile) DeleteFileA(backup.c_str());  // else the next recovery does
    // Windows 9x keeps a profile file cached; this drops what it had read.
    WritePrivateProfileStringA(nullptr, nullptr, nullptr, path);
    return true;
}

bool ReplaceWholeFile(const std::string& text) {
    const std::string fresh = NewFilePath();
    const bool replaced = RecoverReplacement() && WriteNewFile(fresh, text) && ReplaceWithNewFile(fresh);
    if (!replaced) DeleteFileA(fresh.c_str());
    return replaced;
}

// Sends the profile reads and writes to `path` while it lives.
class ProfileRedirect {
public:
    ProfileRedirect() = default;
    explicit ProfileRedirect(const std::string& path) { Start(path); }
    ~ProfileRedirect() { End(); }
    ProfileRedirect(const ProfileRedirect&) = delete;
    ProfileRedirect& operator=(const ProfileRedirect&) = delete;

    bool Start(const std::string& path) {
        if (path.size() >= sizeof g_profilePath) return false;
        std::memcpy(g_profilePath, path.c_str(), path.size() + 1);
        return true;
    }
    // The profile functions' cache reaches the file.
    void End() {
        if (g_profilePath[0] == '\0') return;
        WritePrivateProfileStringA(nullptr, nullptr, nullptr, g_profilePath);
        g_profilePath[0] = '\0';
    }
};

// Profile writes that reach the file together or not at all: while the edit
// is open they go to a copy of the file, which replaces it at Commit.
class ProfileEdit {
public:
    ProfileEdit() : m_fresh(NewFilePath()) {
        std::string text;
        m_open = RecoverReplacement() && ReadWholeFile(UserSettingsPath(), text) && WriteNewFile(m_fresh, text) &&
                 m_redirect.Start(m_fresh);
    }
    ~ProfileEdit() {
        m_redirect.End();
        if (!m_committed) DeleteFileA(m_fresh.c_str());
    }
    ProfileEdit(const ProfileEdit&) = delete;
    ProfileEdit& operator=(const ProfileEdit&) = delete;

    bool IsOpen() const { return m_open; }
    // `written`: every write of the edit succeeded; otherwise nothing is
    // replaced.
    bool Commit(bool written) {
        m_redirect.End();
        m_committed = m_open && written && ReplaceWithNewFile(m_fresh);
        return m_committed;
    }

private:
    std::string m_fresh;
    ProfileRedirect m_redirect;
    bool m_open = false;
    bool m_committed = false;
};

// What a change of the file's sections did.
enum ChangeResult { Written, NothingToWrite, WriteFailed };

// A name is written inside one pair of quotation marks, which the profile
// read strips: so a name that itself begins and ends with a quotation mark
// reads back as it was typed. Files written without them load the same.
std::string Quoted(const char* name) { return name[0] != '\0' ? "\"" + std::string(name) + "\"" : std::string(); }

// The record named `name` into its section, else the first free one.
ChangeResult WriteEntry(const char* name) {
    int section = FindSection(name);
    if (section < 0) section = FindSection("");
    UserEntry* entry = FindRecord(name);
    if (section < 0 || !entry) return NothingToWrite;
    const std::string s = UserSectionName(section);
    bool written = WriteProfileText(s.c_str(), UserNameKey, Quoted(entry->Name).c_str());
    for (int k = 0; k < UserValueKeyCount; ++k) written = written && WriteProfileInt(s.c_str(), UserValueKeys[k], *ValueField(*entry, k));
    return written ? Written : WriteFailed;
}

// Frees the first section carrying `name`.
ChangeResult FreeSection(const char* name) {
    const int section = FindSection(name);
    if (section < 0) return NothingToWrite;
    return WriteProfileText(UserSectionName(section).c_str(), UserNameKey, "") ? Written : WriteFailed;
}

// An update: the section carrying `name` is freed and the record saved into
// the first free section.
ChangeResult FreeAndWriteEntry(const char* name) {
    if (!FindRecord(name)) return NothingToWrite;
    const ChangeResult freed = FreeSection(name);
    return freed == WriteFailed ? freed : WriteEntry(name);
}

// Makes `change` in a copy of the file, which then replaces it.
bool EditFile(ChangeResult (*change)(const char* name), const char* name) {
    g_writeError = 0;
    ProfileEdit edit;
    if (!edit.IsOpen()) return false;
    const ChangeResult result = change(name);
    return result != NothingToWrite && edit.Commit(result == Written);
}

}  // namespace

void InitUserSettingsPath() {
    char directory[MAX_PATH] = {};
    UINT length = GetSystemDirectoryA(directory, MAX_PATH);
    if (length == 0 || length != std::strlen(directory)) std::strcpy(directory, "\\windows\\system");
    FormatText(g_computedPath, sizeof g_computedPath, "%s\\QV3810ui.ini", directory);
}

const char* UserSettingsPath() { return g_usedPath[0] != '\0' ? g_usedPath : g_computedPath; }

void QvUseUserSettingsFile(const char* path) {
    std::memset(g_usedPath, 0, sizeof g_usedPath);
    if (path) CopyCut(g_usedPath, sizeof g_usedPath, path, sizeof g_usedPath - 1);
}

bool ReadProfileName(const char* section, const char* key, size_t bufferSize, char* buffer) {
    if (bufferSize == 0) return false;
    char first[ReadBufferBytes];
    ReadTextRaw(section, key, AbsentProbe1, first);
    char second[ReadBufferBytes];
    std::strcpy(second, first);
    // Only a value equal to the first default needs the second look.
    if (std::strcmp(first, AbsentProbe1) == 0) ReadTextRaw(section, key, AbsentProbe2, second);
    if (KeyIsAbsent(first, second)) {
        buffer[0] = '\0';
        return false;
    }
    CopyCut(buffer, bufferSize, first, bufferSize - 1);
    return true;
}

void ReadProfileInt(const char* section, const char* key, int32_t* result) {
    *result = static_cast<int32_t>(GetPrivateProfileIntA(section, key, 0, ProfilePath()));
}

bool WriteProfileText(const char* section, const char* key, const char* text) {
    return WritePrivateProfileStringA(section, key, text, ProfilePath()) != FALSE || Failed();
}

bool WriteProfileInt(const char* section, const char* key, int32_t value) {
    char text[16];
    FormatText(text, sizeof text, "%d", static_cast<int>(value));
    return WriteProfileText(section, key, text);
}

bool LoadUserEntries() {
    ProfileRedirect fromBackup;
    if (!RecoverReplacement() && PresenceOf(UserSettingsPath()) == Presence::Absent) fromBackup.Start(BackupPath());
    bool intact = true;
    for (int n = 0; n < UserEntryCount; ++n) {
        UserEntry& entry = g_userEntries[n];
        char name[StoredNameReadBytes + 1];
        if (!ReadSectionName(n, name)) {
            // Damaged: the repair makes it a free slot, so the record is freed too.
            intact = false;
            std::memset(&entry, 0, sizeof entry);
            continue;
        }
        if (name[0] == '\0') {
            std::memset(&entry, 0, sizeof entry);
            continue;
        }
        CopyCut(entry.Name, sizeof entry.Name, name, StoredNameReadBytes);
        const std::string section = UserSectionName(n);
        for (int k = 0; k < UserValueKeyCount; ++k) ReadProfileInt(section.c_str(), UserValueKeys[k], ValueField(entry, k));
    }
    return intact;
}

bool RepairUserFile() {
    g_writeError = 0;
    // Nothing is written while the backup is the only complete file.
    if (!RecoverReplacement()) return false;
    switch (PresenceOf(UserSettingsPath())) {
    case Presence::Absent:
        return ReplaceWholeFile(DefaultUserFileText());
    case Presence::Present:
        break;
    case Presence::Unknown:
        return Failed();
    }
    // The missing keys are put into the file's text directly: the profile
    // functions would rewrite the whole file in their own form and drop what
    // they cannot read.
    std::string text;
    if (!ReadWholeFile(UserSettingsPath(), text)) return false;
    bool changed = false;
    for (int n = 0; n < UserEntryCount; ++n) {
        char name[StoredNameReadBytes + 1];
        if (ReadSectionName(n, name)) continue;
        const std::string section = UserSectionName(n);
        std::vector<std::string> lines{std::string(UserNameKey) + "="};
        // Values the section does hold stay; only missing keys are added.
        for (int k = 0; k < UserValueKeyCount; ++k) {
            char value[8];
            if (!ReadProfileName(section.c_str(), UserValueKeys[k], sizeof value, value))
                lines.push_back(std::string(UserValueKeys[k]) + "=0");
        }
        text = WithLinesInSection(text, section, lines);
        changed = true;
    }
    return !changed || ReplaceWholeFile(text);
}

bool SaveUserEntry(const char* name) { return EditFile(WriteEntry, name); }
bool RemoveUserEntry(const char* name) { return EditFile(FreeSection, name); }
bool ResaveUserEntry(const char* name) { return EditFile(FreeAndWriteEntry, name); }

bool WriteDefaultUserFile() {
    g_writeError = 0;
    return ReplaceWholeFile(DefaultUserFileText());
}

bool UserFileWriteFailed() { return g_writeError != 0; }
uint32_t UserFileWriteError() { return g_writeError; }
