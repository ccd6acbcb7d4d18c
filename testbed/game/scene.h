// The scripted scene of the game double: a few lines of dialogue and a
// journal entry pass through the game's dialogue routine the way the game
// passes them, the player reads a book, a note and the journal, and what the
// player hears is written down.
#pragma once
#include <cstdint>

namespace scene {

// Before the plug-in loads: the game's DirectSound in the sound manager and
// the volume the game's volume query answers.
void PrepareSound(uint32_t volume);

// After the plug-in started: runs the scene, reports every say call, and
// writes a WAV of the played buffers to `recordPath` (unless null).
void Run(const char* recordPath);

}  // namespace scene
