// Job files: the settings of a print job as readable UTF-8 text, one
// `Name=value` line per field of PrintSettings. Portable: no windows.h.
#pragma once

#include <string>

#include "ui/common/records.h"

enum class JobFieldType { Int32, UInt16, Double, Text };

struct JobField {
    const char* Name;  // e.g. "PaperSize", "Layout.BindingSide", "UserStamps[3].File"
    size_t Offset;
    JobFieldType Type;
    size_t Size;  // bytes of the field (a text's includes its terminator)
};

// Every field of PrintSettings in record order.
const JobField* JobFields(size_t* count);
const JobField* FindJobField(const std::string& name);

// The field's value as it stands in a job file (texts in UTF-8, unquoted).
std::string FormatJobValue(const PrintSettings& s, const JobField& field);

// Sets a field from its job-file text; false with a reason when the text does
// not fit the field's type or size. Nothing is written on failure.
bool ParseJobValue(PrintSettings& s, const JobField& field, const std::string& text, std::string& reason);

// The whole record as job-file text: a header comment, then every field.
std::string FormatJob(const PrintSettings& s);

// Reads job-file text over `base` (fields the text does not name keep the
// base's values). On any error the record is left as it was and `error`
// says "NAME:LINE: reason".
bool ParseJob(const std::string& text, const std::string& name, const PrintSettings& base, PrintSettings& out,
              std::string& error);

// File forms. Loading refuses files over MaxJobFileBytes; saving writes a
// temporary file beside the target and renames it over the target.
constexpr size_t MaxJobFileBytes = 1 << 20;
bool LoadJobFile(const std::string& path, const PrintSettings& base, PrintSettings& out, std::string& error);
bool SaveJobFile(const std::string& path, const PrintSettings& s, std::string& error);
