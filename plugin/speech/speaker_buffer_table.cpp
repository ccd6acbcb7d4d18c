#include "plugin/speech/speaker_buffer_table.h"

#include <windows.h>
#include <mmsystem.h>
#include <dsound.h>

#include "plugin/speech/voice_file.h"

SpeakerBufferEntry SpeakerBufferTable[SpeakerBufferCount];

namespace {

IDirectSoundBuffer* TakeBuffer(SpeakerBufferEntry& e) {
  return static_cast<IDirectSoundBuffer*>(
      InterlockedExchangePointer(reinterpret_cast<void* volatile*>(&e.buffer), nullptr));
}

void StopAndDrop(IDirectSoundBuffer* buffer, bool stop) {
  if (!buffer) return;
  if (stop) buffer->Stop();
  buffer->Release();
}

void Empty(SpeakerBufferEntry& e, bool stop) {
  IDirectSoundBuffer* b = TakeBuffer(e);
  e.speaker = nullptr;
  StopAndDrop(b, stop);
}

void Store(SpeakerBufferEntry& e, ObjectRef* speaker, IDirectSoundBuffer* buffer, bool stopOld) {
  buffer->AddRef();
  e.speaker = speaker;
  IDirectSoundBuffer* old = static_cast<IDirectSoundBuffer*>(
      InterlockedExchangePointer(reinterpret_cast<void* volatile*>(&e.buffer), buffer));
  if (old != buffer) StopAndDrop(old, stopOld);
  else old->Release();  // the same buffer again: keep one reference
}

}  // namespace

bool BufferPlaying(IDirectSoundBuffer* buffer) {
  DWORD status = 0;
  return buffer && SUCCEEDED(buffer->GetStatus(&status)) && (status & DSBSTATUS_PLAYING);
}

uint32_t RemoveSpeakerBuffer(ObjectRef* speaker) {
  for (SpeakerBufferEntry& e : SpeakerBufferTable) {
    if (e.speaker != speaker || (speaker == nullptr && e.buffer == nullptr)) continue;
    if (!BufferPlaying(e.buffer)) return SpeakerBufferNotPlaying;
    Empty(e, /*stop=*/true);
    return SpeakerBufferDone;
  }
  return SpeakerBufferNoSpeaker;
}

uint32_t EnterSpeakerBuffer(ObjectRef* speaker, IDirectSoundBuffer* buffer) {
  for (SpeakerBufferEntry& e : SpeakerBufferTable)
    if (e.buffer && e.speaker == speaker) return Store(e, speaker, buffer, false), SpeakerBufferDone;
  for (SpeakerBufferEntry& e : SpeakerBufferTable)
    if (!e.buffer && !e.speaker) return Store(e, speaker, buffer, false), SpeakerBufferDone;
  for (SpeakerBufferEntry& e : SpeakerBufferTable)
    if (!BufferPlaying(e.buffer)) return Store(e, speaker, buffer, false), SpeakerBufferDone;
  // Full of playing lines of other speakers: the line in entry 0 plays on,
  // out of the table's reach.
  Store(SpeakerBufferTable[0], speaker, buffer, false);
  return SpeakerBufferOverwrote;
}

void StopAllSpeech() {
  for (SpeakerBufferEntry& e : SpeakerBufferTable)
    if (e.buffer) Empty(e, /*stop=*/true);
}
