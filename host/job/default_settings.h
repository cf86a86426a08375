#pragma once

#include "ui/common/records.h"

// The host's default settings: the standard value of every field.
PrintSettings MakeDefaultSettings();
