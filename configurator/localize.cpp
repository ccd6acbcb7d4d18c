#include "configurator/localize.h"

LocalizeTable LoadLocalizeTable(HMODULE module) {
  HRSRC found = FindResourceA(module, "LOCALIZE", MAKEINTRESOURCEA(10) /* RT_RCDATA */);
  if (!found) return {};
  HGLOBAL loaded = LoadResource(module, found);
  const char* data = loaded ? static_cast<const char*>(LockResource(loaded)) : nullptr;
  if (!data) return {};
  return ParseLocalizeTable(data, SizeofResource(module, found));
}
