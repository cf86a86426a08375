#include "ui/color/user_settings_store.h"

#include <windows.h>

#include <cstdio>
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
// While a profile edit is open: the new file that its reads and writes go to.
char g_editPath[MAX_PATH];
bool g_writeFailed;

constexpr size_t ReadBufferBytes = 256;  // longer values are cut well before this

const char* ProfilePath() { return g_editPath[0] != '\0' ? g_editPath : UserSettingsPath(); }

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

bool FileExists(const char* path) { return GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES; }

struct FileCloser {
    void operator()(std::FILE* f) const {
        if (f) std::fclose(f);
    }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

bool ReadWholeFile(const char* path, std::string& text) {
    File file(std::fopen(path, "rb"));
    if (!file) return false;
    text.clear();
    char chunk[65536];
    size_t n;
    while ((n = std::fread(chunk, 1, sizeof chunk, file.get())) > 0) text.append(chunk, n);
    return std::ferror(file.get()) == 0;
}

// ---- replacing the file in one step
//
// The file is never rewritten in place: a new file is written beside it
// under NewFilePath() and then takes its name. Windows 95 and 98 cannot
// rename over an existing file (MoveFileEx and ReplaceFile are NT only), so
// the old file first moves aside to BackupPath(). At every moment a complete
// file is under the file's own name or under the backup name, and
// RecoverReplacement() puts the backup back when a replacement stopped
// between its two renames.

std::string NewFilePath() { return WithExtension(UserSettingsPath(), "$$$"); }
std::string BackupPath() { return WithExtension(UserSettingsPath(), "in$"); }

struct HandleCloser {
    void operator()(HANDLE h) const { CloseHandle(h); }
};
using FileHandle = std::unique_ptr<void, HandleCloser>;

// Writes `text` as the whole file `path`, on the disk before it returns.
bool WriteNewFile(const std::string& path, const std::string& text) {
    HANDLE raw = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (raw == INVALID_HANDLE_VALUE) return false;
    FileHandle file(raw);
    DWORD written = 0;
    if (!WriteFile(raw, text.data(), static_cast<DWORD>(text.size()), &written, nullptr) || written != text.size())
        return false;
    return FlushFileBuffers(raw) != FALSE;
}

void RecoverReplacement() {
    const std::string backup = BackupPath();
    if (!FileExists(backup.c_str())) return;
    if (FileExists(UserSettingsPath())) DeleteFileA(backup.c_str());  // the replacement had ended
    else MoveFileA(backup.c_str(), UserSettingsPath());
}

// Puts the complete file `fresh` in the place of the settings file.
bool ReplaceWithNewFile(const std::string& fresh) {
    const char* path = UserSettingsPath();
    const std::string backup = BackupPath();
    const DWORD attributes = GetFileAttributesA(path);
    const bool hadFile = attributes != INVALID_FILE_ATTRIBUTES;
    if (hadFile && (attributes & FILE_ATTRIBUTE_READONLY)) return false;  // as a write into it would fail
    if (hadFile && !MoveFileA(path, backup.c_str())) return false;
    if (!MoveFileA(fresh.c_str(), path)) {
        if (hadFile) MoveFileA(backup.c_str(), path);
        return false;
    }
    if (hadFile) DeleteFileA(backup.c_str());
    // Windows 9x keeps a profile file cached; this drops what it had read.
    WritePrivateProfileStringA(nullptr, nullptr, nullptr, path);
    return true;
}

bool ReplaceWholeFile(const std::string& text) {
    RecoverReplacement();
    const std::string fresh = NewFilePath();
    const bool replaced = WriteNewFile(fresh, text) && ReplaceWithNewFile(fresh);
    if (!replaced) {
        DeleteFileA(fresh.c_str());
        g_writeFailed = true;
    }
    return replaced;
}

// Profile writes that reach the file together or not at all: while the edit
// is open they go to a copy of the file, which replaces it at Commit.
class ProfileEdit {
public:
    ProfileEdit() : m_fresh(NewFilePath()) {
        RecoverReplacement();
        m_open = m_fresh.size() < sizeof g_editPath && CopyFileA(UserSettingsPath(), m_fresh.c_str(), FALSE) &&
                 SetFileAttributesA(m_fresh.c_str(), FILE_ATTRIBUTE_NORMAL);
        if (m_open) std::memcpy(g_editPath, m_fresh.c_str(), m_fresh.size() + 1);
        else g_writeFailed = true;
    }
    ~ProfileEdit() {
        Close();
        if (m_open && !m_committed) DeleteFileA(m_fresh.c_str());
    }
    ProfileEdit(const ProfileEdit&) = delete;
    ProfileEdit& operator=(const ProfileEdit&) = delete;

    bool IsOpen() const { return m_open; }
    // `written`: every write of the edit succeeded; otherwise nothing is
    // replaced.
    bool Commit(bool written) {
        Close();
        m_committed = m_open && written && ReplaceWithNewFile(m_fresh);
        if (!m_committed) g_writeFailed = true;
        return m_committed;
    }

private:
    void Close() {
        if (g_editPath[0] == '\0') return;
        WritePrivateProfileStringA(nullptr, nullptr, nullptr, g_editPath);  // flushed before the rename
        g_editPath[0] = '\0';
    }
    std::string m_fresh;
    bool m_open = false;
    bool m_committed = false;
};

// The record named `name` into its section, else the first free one.
// Returns 0 written, 1 nothing to write, -1 a failed write.
int WriteEntry(const char* name) {
    int section = FindSection(name);
    if (section < 0) section = FindSection("");
    UserEntry* entry = FindRecord(name);
    if (section < 0 || !entry) return 1;
    const std::string s = UserSectionName(section);
    bool written = WriteProfileText(s.c_str(), UserNameKey, entry->Name);
    for (int k = 0; k < UserValueKeyCount; ++k) written = WriteProfileInt(s.c_str(), UserValueKeys[k], *ValueField(*entry, k)) && written;
    return written ? 0 : -1;
}

// Frees the first section carrying `name`; the same results as WriteEntry.
int FreeSection(const char* name) {
    const int section = FindSection(name);
    if (section < 0) return 1;
    return WriteProfileText(UserSectionName(section).c_str(), UserNameKey, "") ? 0 : -1;
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
    return WritePrivateProfileStringA(section, key, text, ProfilePath()) != FALSE;
}

bool WriteProfileInt(const char* section, const char* key, int32_t value) {
    char text[16];
    FormatText(text, sizeof text, "%d", static_cast<int>(value));
    return WriteProfileText(section, key, text);
}

bool LoadUserEntries() {
    RecoverReplacement();
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
    g_writeFailed = false;
    RecoverReplacement();
    if (!FileExists(UserSettingsPath())) return WriteDefaultUserFile();
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

bool SaveUserEntry(const char* name) {
    g_writeFailed = false;
    ProfileEdit edit;
    if (!edit.IsOpen()) return false;
    const int result = WriteEntry(name);
    return result != 1 && edit.Commit(result == 0);
}

bool RemoveUserEntry(const char* name) {
    g_writeFailed = false;
    ProfileEdit edit;
    if (!edit.IsOpen()) return false;
    const int result = FreeSection(name);
    return result != 1 && edit.Commit(result == 0);
}

bool ResaveUserEntry(const char* name) {
    g_writeFailed = false;
    ProfileEdit edit;
    if (!edit.IsOpen()) return false;
    const int freed = FreeSection(name);
    const int saved = WriteEntry(name);
    if (freed == 1 && saved == 1) return false;
    return edit.Commit(freed != -1 && saved != -1) && saved == 0;
}

bool WriteDefaultUserFile() {
    g_writeFailed = false;
    return ReplaceWholeFile(DefaultUserFileText());
}

bool UserFileWriteFailed() { return g_writeFailed; }
