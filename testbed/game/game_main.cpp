// The game double: stands in for Morrowind.exe.  It lays out the game image,
// loads MLDRLib.dll and then the plug-in, as the module loader does inside
// the game, and finally reports the bytes at every place.
//
//   --alter-place HEX     change the first byte of that place before loading
//                         (a game version whose signature differs there)
//   --prepatched HEX      write a jmp at that place before loading, as another
//                         program patching the same place would
//   --scene               after the start event, play the scripted scene
//                         (needs the worker: pass --wait-log too)
//   --record FILE         the scene writes what the player heard there (WAV)
//   --volume N            what the game's volume query answers (default 200)
//   --camera-scene        the dialogue camera scene (after --scene's lines,
//                         or alone); --camera-trace FILE.csv and
//                         --camera-plot FILE.png write what it did
//   --crowd               five men of one race, two lines each (after --scene's
//                         camera dialogue, or alone, with --record)
//   --no-reading          the scene without the books, notes and journal
//   --first-line          only the scene's first line, said and played (a quick
//                         check that the plug-in speaks)
//   --reenter             once started, call the plug-in's exported DLLMain
//                         with attach and then detach, as a loader might
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "game/game_double.h"
#include "game/scene.h"
#include "host/host_driver.h"

namespace {
int argCount;
char** args;

bool sceneWanted;
bool firstLineWanted;
bool readingWanted = true;
bool cameraSceneWanted;
bool crowdWanted;
const char* recordPath;

void PrepareGame() {
  game_double::BuildGameImage();
  uint32_t volume = 200;
  for (int i = 1; i < argCount; ++i) {
    if (!strcmp(args[i], "--scene")) sceneWanted = true;
    if (!strcmp(args[i], "--first-line")) firstLineWanted = true;
    if (!strcmp(args[i], "--no-reading")) readingWanted = false;
    if (!strcmp(args[i], "--record") && i + 1 < argCount) recordPath = args[i + 1];
    if (!strcmp(args[i], "--volume") && i + 1 < argCount) volume = strtoul(args[i + 1], nullptr, 10);
    if (!strcmp(args[i], "--camera-scene")) cameraSceneWanted = true;
    if (!strcmp(args[i], "--crowd")) crowdWanted = true;
  }
  if (crowdWanted) scene::EnableCrowd();
  if (cameraSceneWanted) {
    const char* trace = nullptr;
    const char* plot = nullptr;
    for (int i = 1; i + 1 < argCount; ++i) {
      if (!strcmp(args[i], "--camera-trace")) trace = args[i + 1];
      if (!strcmp(args[i], "--camera-plot")) plot = args[i + 1];
    }
    scene::EnableCameraDialogue(trace, plot);
  }
  if (sceneWanted || firstLineWanted || cameraSceneWanted || crowdWanted) scene::PrepareSound(volume);
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
void RunScene() {
  if (sceneWanted)
    scene::Run(recordPath, readingWanted);
  else if (firstLineWanted)
    scene::RunFirstLine();
  else if (cameraSceneWanted)
    scene::RunCameraDialogue();
  else if (crowdWanted)
    scene::RunCrowd(recordPath);
}
}  // namespace

int main(int argc, char** argv) {
  argCount = argc;
  args = argv;
  const int rc = RunHost(argc, argv, PrepareGame, RunScene);
  ReportPlaces();
  return ExitHost(rc);
}
