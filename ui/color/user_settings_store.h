// The registered user color settings: the file QV3810ui.ini in the system
// directory, read and written with the private-profile functions, and the
// library-wide table of ten records that mirrors it.
//
// Every change reaches the file in one step: it is made in a new file beside
// it ("QV3810ui.$$$"), which is flushed to the disk and then replaces the
// file; the old file waits under "QV3810ui.in$" until the new one has its
// name, and the next load or write puts it back if the replacement stopped
// in between. A failed write leaves the file as it was; a stop at any point
// leaves the file before or after the change.
#pragma once

#include <cstdint>

#include "ui/color/setting_names.h"
#include "ui/common/records.h"

struct UserEntry {
    char Name[20];  // empty = free record
    ColorAdjustment Color;
    DensityAdjustment Density;
};
static_assert(sizeof(UserEntry) == 72, "UserEntry");

extern UserEntry g_userEntries[UserEntryCount];

// Computes the file's path from the system directory; the library's attach
// calls it once.
void InitUserSettingsPath();
const char* UserSettingsPath();

// Loads every section into the record of its number: a named section fills
// its record, a free one frees it, and a section without the name key is
// damaged and frees its record. True when no section is damaged.
bool LoadUserEntries();
// After a failed load: creates the default file when there is none, else
// gives every damaged section its missing keys as a free slot, keeping
// everything the file holds. Returns false when nothing could be written.
bool RepairUserFile();

// Writes the record named `name` into the section carrying that name, else
// into the first free section; the name is stored in quotation marks, so it
// reads back exactly. False when neither exists or no record has the name.
bool SaveUserEntry(const char* name);
// Frees the first section carrying `name`; its values stay. False when no
// section carries it.
bool RemoveUserEntry(const char* name);
// An update: frees the section carrying `name` and saves the record into
// the first free section, in one replacement of the file. False when there
// was nothing to save or the file could not be written.
bool ResaveUserEntry(const char* name);
// Creates or overwrites the file with ten free sections.
bool WriteDefaultUserFile();
// True when the last of the operations above had something to write and
// could not write it (the file is as it was); false after a success or when
// there was nothing to write.
bool UserFileWriteFailed();
// The system's error code of that failure, 0 when there was none.
uint32_t UserFileWriteError();

// Reads a text value cut at a character boundary to bufferSize - 1 bytes;
// false when the key is absent (a stored value of any text is present).
bool ReadProfileName(const char* section, const char* key, size_t bufferSize, char* buffer);
// Reads an integer value, 0 when absent or not a number.
void ReadProfileInt(const char* section, const char* key, int32_t* result);
bool WriteProfileText(const char* section, const char* key, const char* text);
bool WriteProfileInt(const char* section, const char* key, int32_t value);

// Points the store at another file, for tests that link the store into their
// own program; null or empty restores the computed path. Not exported.
void QvUseUserSettingsFile(const char* path);
