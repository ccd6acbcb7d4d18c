// SpeakerBufferTable: the last sound buffer of each speaker, so that a
// speaker can be cut short and all speech stopped at once.
#pragma once

struct ObjectRef;
struct IDirectSoundBuffer;

struct SpeakerBufferEntry {
  ObjectRef* speaker;
  IDirectSoundBuffer* buffer;
};

inline constexpr int SpeakerBufferCount = 16;
extern SpeakerBufferEntry SpeakerBufferTable[SpeakerBufferCount];
