#include "plugin/speech/sound_record.h"

#include <cstring>

uint32_t ComputeFramePeaks(const uint8_t* pcm, uint32_t byteCount, int16_t* peaks) {
  const uint32_t blocks = byteCount / BytesPerPeak;
  for (uint32_t i = 0; i < blocks; ++i) {
    int32_t minimum = 0, maximum = 0;
    const uint8_t* block = pcm + i * BytesPerPeak;
    for (uint32_t k = 0; k < SamplesPerPeak; ++k) {
      int16_t s;
      std::memcpy(&s, block + 2 * k, 2);
      if (s < minimum) minimum = s;
      else if (s > maximum) maximum = s;
    }
    peaks[i] = static_cast<int16_t>(maximum > -minimum ? maximum : minimum);
  }
  return blocks;
}

uint32_t VoiceBufferFlags(SoundManagerBytes manager) {
  uint32_t flags = manager.mode18 > 1
                       ? DSBCAPS_CTRL3D | DSBCAPS_CTRLFREQUENCY | DSBCAPS_CTRLVOLUME | DSBCAPS_GETCURRENTPOSITION2 |
                             DSBCAPS_MUTE3DATMAXDISTANCE  // 0x300B0
                       : DSBCAPS_CTRLFREQUENCY | DSBCAPS_CTRLPAN | DSBCAPS_CTRLVOLUME;  // 0xE0
  if (manager.flags04 & 0x04) flags |= DSBCAPS_LOCDEFER;
  return flags;
}

void DescribeVoiceSound(GameSoundRecord& record, uint32_t byteCount, SoundManagerBytes manager) {
  record.format = WAVEFORMATEX{WAVE_FORMAT_PCM, 1, 44100, 88200, 2, 16, 0};
  record.description.dwSize = sizeof record.description;
  record.description.dwFlags = VoiceBufferFlags(manager);
  uint32_t bytes = byteCount < 4 ? 4 : byteCount;
  if (bytes > 0x0FFFFFFF) bytes = 0x0FFFFFFF;
  record.description.dwBufferBytes = bytes;
  record.description.dwReserved = 0;
  record.description.lpwfxFormat = &record.format;
}
