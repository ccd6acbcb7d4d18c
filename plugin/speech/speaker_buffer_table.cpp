#include "plugin/speech/speaker_buffer_table.h"

#include <windows.h>
#include <mmsystem.h>
#include <dsound.h>

SpeakerBufferEntry SpeakerBufferTable[SpeakerBufferCount];

namespace {

// The table is used from the game's threads (closing a window, leaving menu
// mode) and from the worker (a new line, the silence chord).  Every
// operation holds this lock, so no thread asks a buffer for its status while
// another releases it, and an entry's speaker and buffer change together.
// The calls made under it (GetStatus, Stop, AddRef, Release) return at once.
class TableLock {
 public:
  TableLock() { EnterCriticalSection(&section); }
  ~TableLock() { LeaveCriticalSection(&section); }
  TableLock(const TableLock&) = delete;
  TableLock& operator=(const TableLock&) = delete;

 private:
  struct Section : CRITICAL_SECTION {
    Section() { InitializeCriticalSection(this); }
  };
  static Section section;
};
TableLock::Section TableLock::section;

void StopAndDrop(IDirectSoundBuffer* buffer, bool stop) {
  if (!buffer) return;
  if (stop) buffer->Stop();
  buffer->Release();
}

void Empty(SpeakerBufferEntry& e, bool stop) {
  IDirectSoundBuffer* b = e.buffer;
  e = {};
  StopAndDrop(b, stop);
}

void Store(SpeakerBufferEntry& e, ObjectRef* speaker, IDirectSoundBuffer* buffer, bool stopOld) {
  buffer->AddRef();
  IDirectSoundBuffer* old = e.buffer;
  e = {speaker, buffer};
  StopAndDrop(old, stopOld);
}

}  // namespace

bool BufferPlaying(IDirectSoundBuffer* buffer) {
  DWORD status = 0;
  return buffer && SUCCEEDED(buffer->GetStatus(&status)) && (status & DSBSTATUS_PLAYING);
}

SpeakerLine SpeakerLineOf(ObjectRef* speaker) {
  TableLock lock;
  for (SpeakerBufferEntry& e : SpeakerBufferTable) {
    if (e.speaker != speaker || !e.buffer) continue;
    DSBCAPS caps{};
    caps.dwSize = sizeof caps;
    DWORD frequency = 0, cursor = 0;
    const bool known = SUCCEEDED(e.buffer->GetCaps(&caps)) && SUCCEEDED(e.buffer->GetFrequency(&frequency)) &&
                       frequency != 0;
    const bool playing = BufferPlaying(e.buffer);
    if (!playing || FAILED(e.buffer->GetCurrentPosition(&cursor, nullptr)) || cursor > caps.dwBufferBytes) cursor = 0;
    // 16-bit mono: two bytes a sample.
    auto ms = [&](uint32_t bytes) { return known ? static_cast<uint32_t>(uint64_t{bytes} / 2 * 1000 / frequency) : 0; };
    return {e.buffer, playing, ms(caps.dwBufferBytes), playing ? ms(caps.dwBufferBytes - cursor) : 0};
  }
  return {nullptr, false, 0, 0};
}

uint32_t RemoveSpeakerBuffer(ObjectRef* speaker) {
  TableLock lock;
  for (SpeakerBufferEntry& e : SpeakerBufferTable) {
    if (e.speaker != speaker || (speaker == nullptr && e.buffer == nullptr)) continue;
    if (!BufferPlaying(e.buffer)) return SpeakerBufferNotPlaying;
    Empty(e, /*stop=*/true);
    return SpeakerBufferDone;
  }
  return SpeakerBufferNoSpeaker;
}

uint32_t EnterSpeakerBuffer(ObjectRef* speaker, IDirectSoundBuffer* buffer) {
  TableLock lock;
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
  TableLock lock;
  for (SpeakerBufferEntry& e : SpeakerBufferTable)
    if (e.buffer) Empty(e, /*stop=*/true);
}
