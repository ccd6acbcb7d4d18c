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
// writes a WAV of the played buffers to `recordPath` (unless null).  Without
// `readTexts` the player reads no book, note or journal page, and the long
// line and long page at the end are left out too.
void Run(const char* recordPath, bool readTexts = true);
// The scene's first line alone (the Dark Elf woman's), said and played.
void RunFirstLine();

// The dialogue camera: a partner 120 units away, the dialogue menu letting
// the world run with the AI off, the zoom, the turn toward the partner's
// neck, a view switch, one spoken line and the exit, frame by frame.  Run
// adds it before the recording once enabled; it can also run on its own.
// A per-frame trace (CSV) and a plot of the camera (PNG) go where asked.
void EnableCameraDialogue(const char* tracePath, const char* plotPath);
void RunCameraDialogue();

// A crowd: five Dark Elf men, each spoken to twice, the second time after
// the other four, every line said, played and reported (crowd.N.M.say).
// Run adds it last once enabled; alone it writes its own recording.
void EnableCrowd();
void RunCrowd(const char* recordPath);

}  // namespace scene
