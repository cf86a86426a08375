// The application framework the library's dialogs are written against.
#pragma once

#include "ui/framework/app_state.h"
#include "ui/framework/application.h"
#include "ui/framework/dialog.h"
#include "ui/framework/property_sheet.h"
#include "ui/framework/runtime_class.h"
#include "ui/framework/window.h"
