// The game double: stands in for Morrowind.exe.  It lays out the game image,
// loads MLDRLib.dll and then the plug-in, as the module loader does inside
// the game, and finally reports the bytes at every place.
//
//   --alter-place HEX     change the first byte of that place before loading
//                         (a game version whose signature differs there)
//   --prepatched HEX      write a jmp at that place before loading, as another
//                         program patching the same place would
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "game/game_double.h"
#include "host/host_driver.h"

namespace {
int argCount;
char** args;

void PrepareGame() {
  game_double::BuildGameImage();
  for (int i = 1; i + 1 < argCount; ++i) {
    const uint32_t offset = strtoul(args[i + 1], nullptr, 16);
    if (!strcmp(args[i], "--alter-place")) {
      uint8_t b = game_double::At(offset)[0] ^ 0x01;
      game_double::PokeImage(offset, &b, 1);
    } else if (!strcmp(args[i], "--prepatched")) {
      const uint8_t jmp[5] = {0xE9, 0x10, 0x00, 0x00, 0x00};
      game_double::PokeImage(offset, jmp, sizeof jmp);
    }
  }
}

void ReportPlaces() {
  uint32_t count;
  const game_double::PlaceBytes* places = game_double::AllPlaces(&count);
  for (uint32_t i = 0; i < count; ++i) {
    char hex[64] = {};
    const uint8_t* at = game_double::At(places[i].offset);
    for (int b = 0; b < 16; ++b) sprintf(hex + 2 * b, "%02X", at[b]);
    Report("place.%06X=%s", places[i].offset, hex);
  }
}
}  // namespace

int main(int argc, char** argv) {
  argCount = argc;
  args = argv;
  const int rc = RunHost(argc, argv, PrepareGame);
  ReportPlaces();
  return ExitHost(rc);
}
