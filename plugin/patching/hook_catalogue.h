// The hook catalogue: every place of the game the plug-in patches at attach.
#pragma once
#include <cstdint>

// Writes every hook in catalogue order (each after its log line), then checks
// the two data places.  Returns the failure sum: the PatchResult codes of all
// hooks plus one per data place that did not match.
uint32_t InstallHooks();
