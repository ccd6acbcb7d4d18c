// The game's record of one loaded voice sound, as the plug-in builds it from
// synthesized speech: a DirectSound buffer description with its format, and
// one peak value per 1152 samples, which the game uses for lip movement.
#pragma once
#include <windows.h>
#include <mmsystem.h>
#include <dsound.h>

#include <cstddef>
#include <cstdint>

#pragma pack(push, 1)
struct GameSoundRecord {
  IDirectSoundBuffer* buffer;      // +0x00 written by CreateSoundBuffer
  IDirectSound3DBuffer* buffer3d;  // +0x04 only for 3D sound
  WAVEFORMATEX format;             // +0x08 18 bytes
  uint8_t pad1A[2];                // +0x1A
  DSBUFFERDESC description;        // +0x1C 36 bytes, lpwfxFormat = &format
  uint8_t pad40[4];                // +0x40
  int16_t* framePeaks;             // +0x44
  uint8_t pad48[0x58 - 0x48];      // +0x48
};
#pragma pack(pop)

static_assert(sizeof(WAVEFORMATEX) == 18);
static_assert(sizeof(DSBUFFERDESC) == 36);
static_assert(offsetof(GameSoundRecord, buffer3d) == 0x04);
static_assert(offsetof(GameSoundRecord, format) == 0x08);
static_assert(offsetof(GameSoundRecord, description) == 0x1C);
static_assert(offsetof(GameSoundRecord, framePeaks) == 0x44);
static_assert(sizeof(GameSoundRecord) == 88);

// Samples per peak value.
inline constexpr uint32_t SamplesPerPeak = 1152;
inline constexpr uint32_t BytesPerPeak = SamplesPerPeak * 2;

// One entry per whole block of 1152 16-bit samples (a last partial block gets
// none): the sample of greatest magnitude, with its sign; a tie goes to the
// negative sample.  Returns the number of entries written.
uint32_t ComputeFramePeaks(const uint8_t* pcm, uint32_t byteCount, int16_t* peaks);

// The sound manager's bytes that shape the buffer.
struct SoundManagerBytes {
  uint8_t flags04;  // bit 2: defer the buffer's location
  uint8_t mode18;   // above 1: 3D sound
};

// Buffer capabilities for the game's sound manager.
uint32_t VoiceBufferFlags(SoundManagerBytes manager);

// Fills the record (zeroed by the caller) for `byteCount` bytes of 44 100 Hz
// 16-bit mono PCM: the buffer holds at least 4 and at most 0x0FFFFFFF bytes.
void DescribeVoiceSound(GameSoundRecord& record, uint32_t byteCount, SoundManagerBytes manager);
