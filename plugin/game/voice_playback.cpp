#include "plugin/game/voice_playback.h"

#include <windows.h>
#include <mmsystem.h>
#include <dsound.h>

#include <cstddef>
#include <cstring>

#include "plugin/frame/log.h"
#include "plugin/frame/plugin_state.h"
#include "plugin/frame/settings.h"
#include "plugin/game/game_access.h"
#include "plugin/game/game_routines.h"
#include "plugin/game/game_state.h"
#include "plugin/game/speaker_pitch.h"
#include "plugin/speech/sound_record.h"
#include "plugin/speech/speak_loop.h"
#include "plugin/speech/speaker_buffer_table.h"
#include "plugin/speech/voice_channel.h"
#include "plugin/speech/voice_file_name.h"

namespace {

constexpr DWORD ZoomPollMs = 500;

// A buffer of the game's DirectSound with the rendered bytes in it, or null.
IDirectSoundBuffer* MakeVoiceBuffer(SoundManager* manager, GameSoundRecord& record, const uint8_t* pcm,
                                    uint32_t bytes) {
  IDirectSoundBuffer* buffer = nullptr;
  if (!manager->directSound ||
      FAILED(manager->directSound->CreateSoundBuffer(&record.description, &buffer, nullptr)) || !buffer) {
    LOG_LINE("BIGCLASS::ProcessVoiceFile -> Creating DirectSound buffer FAILED!");
    return nullptr;
  }
  void* first = nullptr;
  DWORD firstBytes = 0;
  if (SUCCEEDED(buffer->Lock(0, 0, &first, &firstBytes, nullptr, nullptr, DSBLOCK_ENTIREBUFFER))) {
    std::memcpy(first, pcm, bytes < firstBytes ? bytes : firstBytes);
    buffer->Unlock(first, firstBytes, nullptr, 0);
  }
  return buffer;
}

// A voice sound made ahead of its say, in the plug-in's own memory until
// the loader hands it to the game: the record with its filled buffer (one
// reference, ours), and the peaks.
struct PreparedSound {
  SoundManager* manager;  // whose DirectSound made the buffer
  GameSoundRecord local;
  uint32_t bytes;
  uint32_t peakCount;
  int16_t peaks[1];  // peakCount entries (allocated to size)
};

PreparedSound* volatile preparedSounds[4];

PreparedSound* volatile* PreparedSlot(const VoiceChannel* channel) {
  for (int i = 0; i < 4; ++i)
    if (AllChannels[i] == channel) return &preparedSounds[i];
  return nullptr;
}

void Free(PreparedSound* sound) {
  if (!sound) return;
  if (sound->local.buffer) sound->local.buffer->Release();
  HeapFree(GetProcessHeap(), 0, sound);
}

// Whatever the loader finds prepared for the channel, taken out of its slot.
PreparedSound* TakePrepared(const VoiceChannel* channel) {
  PreparedSound* volatile* slot = PreparedSlot(channel);
  if (!slot) return nullptr;
  return static_cast<PreparedSound*>(InterlockedExchangePointer(reinterpret_cast<void* volatile*>(slot), nullptr));
}

}  // namespace

uint32_t PlayChannel(VoiceChannel* channel, uint32_t epoch, bool needSpeaker, uint32_t* volume) {
  if (!channel) return 1;
  if (needSpeaker && !Dialogue.CurrentSpeaker) return 3;
  char name[VoiceFileNameSize];
  MakeVoiceFileName(channel, name);
  while (Settings.SpeakAfterZoom && Dialogue.smoothZoomActive) Sleep(ZoomPollMs);
  // The conversation may have ended during the wait: its speaker may be
  // gone, and the exit has already stopped what was playing.
  if (epoch != SpeechEpoch()) return 2;

  GameMaster* master = GetGameMaster();
  SoundManager* manager = GetSoundManager();
  if (!master || !manager) return 0;  // no game world to speak in yet
  uint32_t said = volume ? *volume : NoVolume;
  if (said == NoVolume) {
    const int32_t gameVolume = game::VoiceVolumeQuery()(master->volumeControl, 0, 1.0f, 1, 0);
    said = ZoomedVoiceVolume(gameVolume, Dialogue.savedFov, Dialogue.targetFov);
    if (volume) *volume = said;
  }
  game::SayVoiceFile()(manager, name, channel->speaker, 0, said);
  return 0;
}

bool PrepareVoiceSound(VoiceChannel* channel) {
  DropPreparedSound(channel);
  PreparedSound* volatile* slot = PreparedSlot(channel);
  SoundManager* manager = GetSoundManager();
  if (!slot || !manager || manager->noVoices) return false;
  const uint8_t* pcm = nullptr;
  uint32_t bytes = 0;
  if (channel->voice.GetAudio(&pcm, &bytes) != 0) return false;
  const uint32_t peakCount = bytes / BytesPerPeak;
  const SIZE_T size = offsetof(PreparedSound, peaks) + (peakCount + 1) * sizeof(int16_t);
  auto* sound = static_cast<PreparedSound*>(HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, size));
  if (!sound) return false;
  sound->manager = manager;
  DescribeVoiceSound(sound->local, bytes, {manager->flags04, manager->mode18});
  sound->local.buffer = MakeVoiceBuffer(manager, sound->local, pcm, bytes);
  if (!sound->local.buffer) {
    Free(sound);
    return false;
  }
  sound->bytes = bytes;
  sound->peakCount = ComputeFramePeaks(pcm, bytes, sound->peaks);
  *slot = sound;
  return true;
}

void DropPreparedSound(VoiceChannel* channel) { Free(TakePrepared(channel)); }

void* __fastcall ProcessVoiceFile(void* soundManager, void*, const char* path, uint32_t second) {
  VoiceChannel* channel = ChannelFromVoiceFileName(path);
  auto* manager = static_cast<SoundManager*>(soundManager);
  if (!channel) return game::VoiceFileLoader()(manager, path, second);

  if (manager->noVoices) return nullptr;

  RemoveSpeakerBuffer(channel->speaker);
  PreparedSound* prepared = TakePrepared(channel);
  if (prepared && prepared->manager != manager) {
    Free(prepared);
    prepared = nullptr;
  }
  const uint8_t* pcm = nullptr;
  uint32_t bytes = 0;
  if (prepared) {
    bytes = prepared->bytes;
  } else if (channel->voice.GetAudio(&pcm, &bytes) != 0) {
    return nullptr;
  }

  // The buffer is made from a description on the stack first, so that a
  // failure leaves nothing of the game's allocator behind.
  GameSoundRecord local{};
  IDirectSoundBuffer* buffer = nullptr;
  if (prepared) {
    local = prepared->local;
    buffer = local.buffer;  // the reference passes to the game with the record
    prepared->local.buffer = nullptr;
  } else {
    DescribeVoiceSound(local, bytes, {manager->flags04, manager->mode18});
    buffer = MakeVoiceBuffer(manager, local, pcm, bytes);
  }
  if (!buffer) return nullptr;

  // The game's allocator has no free the plug-in may call: the small record
  // first, and the peaks only when it came, so that running out of memory
  // strands at most the record's 88 bytes.
  auto* record = GameAllocator ? static_cast<GameSoundRecord*>(GameAllocator(sizeof(GameSoundRecord))) : nullptr;
  auto* peaks = record ? static_cast<int16_t*>(GameAllocator(bytes < 2 ? 2 : bytes)) : nullptr;
  if (!record || !peaks) {
    buffer->Release();
    Free(prepared);
    return nullptr;  // the game gets no line rather than a half record
  }
  std::memcpy(record, &local, sizeof local);
  record->description.lpwfxFormat = &record->format;
  record->buffer = buffer;
  if (prepared) {
    std::memcpy(peaks, prepared->peaks, prepared->peakCount * sizeof(int16_t));
    Free(prepared);
  } else {
    ComputeFramePeaks(pcm, bytes, peaks);
  }
  record->framePeaks = peaks;

  if (record->description.dwFlags & DSBCAPS_CTRL3D)
    buffer->QueryInterface(IID_IDirectSound3DBuffer, reinterpret_cast<void**>(&record->buffer3d));
  buffer->SetVolume(0);
  ApplySpeakerPitch(buffer, channel);
  EnterSpeakerBuffer(channel->speaker, buffer);
  return record;
}
