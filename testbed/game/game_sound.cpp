// What the game does with a voice file: its loader reads a WAV into the
// game's sound record, and its say routine runs the loader and pitch step
// places of the image and plays the record's buffer.  Every say is kept for
// the tests.
#include "game/game_double_parts.h"

#include <mmsystem.h>
#include <dsound.h>

namespace game_double {
namespace detail {
namespace {
// ---------------------------------------------------------------------------
// Voice files.  The game's loader reads a 16-bit mono WAV the double finds
// on disk (relative to the current folder) into a record of the game's
// layout: buffer +0x00, format +0x08, buffer description +0x1C (its format
// pointer at +0x2C), peaks +0x44 (none for the double's own files).
}  // namespace

uint32_t LoadVoiceFile(uint8_t* manager, const char* path) {
  if (!manager || !path) return 0;
  HANDLE f = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (f == INVALID_HANDLE_VALUE) return 0;
  const DWORD size = GetFileSize(f, nullptr);
  uint8_t* file = static_cast<uint8_t*>(HeapAlloc(GetProcessHeap(), 0, size ? size : 1));
  DWORD got = 0;
  ReadFile(f, file, size, &got, nullptr);
  CloseHandle(f);
  const uint8_t* fmt = nullptr;
  const uint8_t* data = nullptr;
  uint32_t dataBytes = 0;
  for (uint32_t at = 12; got >= 12 && !std::memcmp(file, "RIFF", 4) && at + 8 <= got;) {
    uint32_t chunk;
    std::memcpy(&chunk, file + at + 4, 4);
    if (!std::memcmp(file + at, "fmt ", 4)) fmt = file + at + 8;
    if (!std::memcmp(file + at, "data", 4)) {
      data = file + at + 8;
      dataBytes = chunk <= got - at - 8 ? chunk : got - at - 8;
    }
    at += 8 + chunk + (chunk & 1);
  }
  uint8_t* record = nullptr;
  IDirectSound* sound = nullptr;
  if (fmt && data) std::memcpy(&sound, manager + 0x0C, 4);  // the manager is read for a real file only
  if (sound) {
    record = static_cast<uint8_t*>(GameAllocate(0x58));
    std::memcpy(record + 0x08, fmt, 16);  // WAVEFORMATEX without the extra size
    DSBUFFERDESC d{};
    d.dwSize = sizeof d;
    d.dwFlags = DSBCAPS_CTRLFREQUENCY | DSBCAPS_CTRLPAN | DSBCAPS_CTRLVOLUME;
    d.dwBufferBytes = dataBytes ? dataBytes : 4;
    d.lpwfxFormat = reinterpret_cast<WAVEFORMATEX*>(record + 0x08);
    std::memcpy(record + 0x1C, &d, sizeof d);
    IDirectSoundBuffer* buffer = nullptr;
    if (SUCCEEDED(sound->CreateSoundBuffer(&d, &buffer, nullptr)) && buffer) {
      void* p;
      DWORD n;
      if (SUCCEEDED(buffer->Lock(0, 0, &p, &n, nullptr, nullptr, DSBLOCK_ENTIREBUFFER))) {
        std::memcpy(p, data, dataBytes < n ? dataBytes : n);
        buffer->Unlock(p, n, nullptr, 0);
      }
      std::memcpy(record, &buffer, 4);
    }
  }
  HeapFree(GetProcessHeap(), 0, file);
  return Addr(record);
}

namespace {
struct SectionLock {
  SectionLock() { InitializeCriticalSection(&section); }
  CRITICAL_SECTION section;
};
CRITICAL_SECTION& SayLock() {
  static SectionLock lock;
  return lock.section;
}
constexpr uint32_t MaxSays = 256;
SayEntry says[MaxSays];
volatile LONG sayCount;
}  // namespace

// What the game's say routine does with a voice file, reduced to the parts
// the plug-in meets: the path goes to the loader call (this = the manager),
// a record that comes back goes to the pitch step call with the file name in
// edi, and its buffer is played.  Both calls are the game's code in the
// image, so whatever is written at those places runs.
void Say(uint32_t manager, const char* name, uint32_t speaker, uint32_t second, uint32_t volume) {
  SayEntry e{};
  lstrcpynA(e.name, name ? name : "", sizeof e.name);
  e.speaker = speaker;
  e.volume = volume;
  char path[MAX_PATH];
  wsprintfA(path, "Sound\\%s", e.name);
  // The game's stack for the two calls: on the heap, well away from ours.
  constexpr uint32_t StackWords = 65536;
  uint32_t* stack = static_cast<uint32_t*>(HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, StackWords * 4));
  uint32_t* top = stack + StackWords - 64;

  const uint32_t loaderBefore = calls[VoiceFileLoader].count, pitchBefore = calls[VoicePitchStep].count;
  Cpu in{}, out{};
  in.eflags = 0x202;
  in.ecx = manager;
  in.esi = speaker;
  in.edi = Addr(e.name);
  top[0] = Addr(path);
  top[1] = second;
  in.esp = Addr(top);
  RunPlace(Base() + 0x08C369, in, out);
  e.record = out.ebp;  // mov ebp, eax after the call
  if (e.record) {
    top[0] = e.record;
    top[1] = second;
    in.esp = Addr(top);
    RunPlace(Base() + 0x08C6B6, in, out);
  }
  e.gameLoader = calls[VoiceFileLoader].count != loaderBefore;
  e.pitchStep = calls[VoicePitchStep].count != pitchBefore;
  HeapFree(GetProcessHeap(), 0, stack);

  IDirectSoundBuffer* buffer = nullptr;
  if (e.record) std::memcpy(&buffer, reinterpret_cast<void*>(e.record), 4);
  if (buffer) {
    // Played as soon as it is loaded; what the double keeps of it for its
    // report and recording is copied while it plays, so that the copy adds
    // nothing to the silence before a line.
    e.startTick = GetTickCount();
    buffer->Play(0, 0, 0);
    e.buffer = Addr(buffer);
    const auto* record = reinterpret_cast<const uint8_t*>(e.record);
    const auto* format = *reinterpret_cast<WAVEFORMATEX* const*>(record + 0x2C);
    e.formatRate = format ? format->nSamplesPerSec : 0;
    DWORD frequency = 0;
    buffer->GetFrequency(&frequency);
    e.frequency = frequency;
    void* p;
    DWORD n;
    if (SUCCEEDED(buffer->Lock(0, 0, &p, &n, nullptr, nullptr, DSBLOCK_ENTIREBUFFER))) {
      auto* copy = static_cast<int16_t*>(HeapAlloc(GetProcessHeap(), 0, n + 2));
      std::memcpy(copy, p, n);
      buffer->Unlock(p, n, nullptr, 0);
      e.pcm = copy;
      e.bytes = n;
    }
    const int16_t* peaks = *reinterpret_cast<int16_t* const*>(record + 0x44);
    if (peaks) {
      e.peakCount = e.bytes / 2304;
      for (uint32_t i = 0; i < e.peakCount; ++i) {
        const int32_t m = peaks[i] < 0 ? -peaks[i] : peaks[i];
        if (m > e.peakMax) e.peakMax = m;
      }
    }
  }
  EnterCriticalSection(&SayLock());
  if (sayCount < static_cast<LONG>(MaxSays)) {
    says[sayCount] = e;
    InterlockedIncrement(&sayCount);
  }
  LeaveCriticalSection(&SayLock());
}

}  // namespace detail

using namespace detail;

uint32_t SayCount() { return static_cast<uint32_t>(sayCount); }
SayEntry GetSay(uint32_t index) {
  EnterCriticalSection(&SayLock());
  SayEntry e = index < static_cast<uint32_t>(sayCount) ? says[index] : SayEntry{};
  LeaveCriticalSection(&SayLock());
  return e;
}

}  // namespace game_double
