// SpeakerBufferTable: the last sound buffer of each speaker, so that a
// speaker can be cut short and all speech stopped at once.
//
// The game owns the buffers and may release them at any time.  The table
// keeps each of its buffers alive with a COM reference of its own, taken
// when the buffer is entered and dropped when it leaves the table, so every
// pointer in it can be used safely on Windows and Wine alike.  The game's
// threads and the worker use the table one at a time (a lock inside), so no
// buffer is stopped or released twice, nor used while another thread
// releases it.
#pragma once
#include <cstdint>

struct ObjectRef;
struct IDirectSoundBuffer;

struct SpeakerBufferEntry {
  ObjectRef* speaker;
  IDirectSoundBuffer* buffer;
};

inline constexpr int SpeakerBufferCount = 16;
extern SpeakerBufferEntry SpeakerBufferTable[SpeakerBufferCount];

enum SpeakerBufferResult : uint32_t {
  SpeakerBufferDone = 0,
  SpeakerBufferNotPlaying = 1,  // remove: the speaker's buffer had finished; entry kept
  SpeakerBufferOverwrote = 1,   // enter: the table was full, entry 0 was overwritten
  SpeakerBufferNoSpeaker = 2,   // remove: the speaker has no entry
};

// Stops the speaker's buffer while it plays and empties its entry.
uint32_t RemoveSpeakerBuffer(ObjectRef* speaker);
// Records the speaker's new buffer (its own entry, else the first empty
// one, else the first whose buffer has finished, else entry 0).
uint32_t EnterSpeakerBuffer(ObjectRef* speaker, IDirectSoundBuffer* buffer);
// True while the buffer is playing.
bool BufferPlaying(IDirectSoundBuffer* buffer);

// Stops every live buffer in the table.  Any thread.
void StopAllSpeech();

// The speaker's line as the table holds it now: its buffer (null when the
// speaker has no entry), only to tell one line from the next and never to be
// used through; whether it plays; how long it lasts at its frequency, and
// how much of that is left behind its play cursor.
struct SpeakerLine {
  const IDirectSoundBuffer* buffer;
  bool playing;
  uint32_t lastsMs;
  uint32_t leftMs;
};
SpeakerLine SpeakerLineOf(ObjectRef* speaker);
