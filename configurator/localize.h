// The text table as the configurator loads it from its own resources.
#pragma once
#include <windows.h>

#include "configurator/localize_table.h"

// The RCDATA resource "LOCALIZE" of `module`; empty when it is missing.
LocalizeTable LoadLocalizeTable(HMODULE module);
