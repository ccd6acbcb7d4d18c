// Writes the LirraCfg.ini a release ships: every key at the configurator's
// defaults, so that the plug-in reads what the configurator would show; and
// beside it the Lexicon.txt the configurator writes where there is none.
//
//   WriteDefaultSettings.exe PATH
#include <windows.h>

#include <cstdio>
#include <string>

#include "common/lexicon.h"
#include "configurator/configurator_settings.h"
#include "configurator/lexicon_file.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: WriteDefaultSettings PATH\n");
    return 2;
  }
  char full[MAX_PATH];
  if (!GetFullPathNameA(argv[1], sizeof full, full, nullptr)) return 1;
  DeleteFileA(full);
  if (!SaveSettings(ConfiguratorDefaults("Sethrim.exe"), full)) return 1;
  std::string folder = full;
  folder.erase(folder.find_last_of('\\') + 1);
  DeleteFileA((folder + LexiconFileName).c_str());
  return WriteDefaultLexicon(folder) == DefaultLexiconResult::Written ? 0 : 1;
}
