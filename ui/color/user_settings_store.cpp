#include "ui/color/user_settings_store.h"

#include <windows.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

UserEntry g_userEntries[UserEntryCount];

namespace {

char g_computedPath[MAX_PATH];
char g_usedPath[MAX_PATH];  // set by tests; empty = the computed path

constexpr size_t ReadBufferBytes = 256;  // longer values are cut well before this

void ReadTextRaw(const char* section, const char* key, const char* fallback, char (&buffer)[ReadBufferBytes]) {
    GetPrivateProfileStringA(section, key, fallback, buffer, ReadBufferBytes, UserSettingsPath());
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

bool WriteWholeFile(const char* path, const std::string& text) {
    File file(std::fopen(path, "wb"));
    if (!file) return false;
    bool written = std::fwrite(text.data(), 1, text.size(), file.get()) == text.size();
    return std::fclose(file.release()) == 0 && written;
}

}  // namespace

void InitUserSettingsPath() {
    char directory[MAX_PATH] = {};
    UINT length = GetSystemDirectoryA(directory, MAX_PATH);
    if (length == 0 || length != std::strlen(directory)) std::strcpy(directory, "\\windows\\system");
    std::snprintf(g_computedPath, sizeof g_computedPath, "%s\\QV3810ui.ini", directory);
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
    *result = static_cast<int32_t>(GetPrivateProfileIntA(section, key, 0, UserSettingsPath()));
}

bool WriteProfileText(const char* section, const char* key, const char* text) {
    return WritePrivateProfileStringA(section, key, text, UserSettingsPath()) != FALSE;
}

bool WriteProfileInt(const char* section, const char* key, int32_t value) {
    char text[16];
    std::snprintf(text, sizeof text, "%d", static_cast<int>(value));
    return WriteProfileText(section, key, text);
}

bool LoadUserEntries() {
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
    return !changed || WriteWholeFile(UserSettingsPath(), text);
}

bool SaveUserEntry(const char* name) {
    int section = FindSection(name);
    if (section < 0) section = FindSection("");
    if (section < 0) return false;
    UserEntry* entry = FindRecord(name);
    if (!entry) return false;
    const std::string s = UserSectionName(section);
    bool written = WriteProfileText(s.c_str(), UserNameKey, entry->Name);
    for (int k = 0; k < UserValueKeyCount; ++k) written = WriteProfileInt(s.c_str(), UserValueKeys[k], *ValueField(*entry, k)) && written;
    return written;
}

bool RemoveUserEntry(const char* name) {
    int section = FindSection(name);
    if (section < 0) return false;
    WriteProfileText(UserSectionName(section).c_str(), UserNameKey, "");
    return true;
}

bool WriteDefaultUserFile() { return WriteWholeFile(UserSettingsPath(), DefaultUserFileText()); }
