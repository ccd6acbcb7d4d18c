// Writes the LirraCfg.ini a release ships: every key at the configurator's
// defaults, so that the plug-in reads what the configurator would show.
//
//   WriteDefaultSettings.exe PATH
#include <windows.h>

#include <cstdio>

#include "configurator/configurator_settings.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: WriteDefaultSettings PATH\n");
    return 2;
  }
  char full[MAX_PATH];
  if (!GetFullPathNameA(argv[1], sizeof full, full, nullptr)) return 1;
  DeleteFileA(full);
  return SaveSettings(ConfiguratorDefaults("Sethrim.exe"), full) ? 0 : 1;
}
