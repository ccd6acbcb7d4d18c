// The game's voice-sound record built from rendered PCM.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "plugin/speech/sound_record.h"

namespace {

std::vector<uint8_t> Pcm(const std::vector<int16_t>& samples) {
  std::vector<uint8_t> bytes(samples.size() * 2);
  std::memcpy(bytes.data(), samples.data(), bytes.size());
  return bytes;
}

// One block ramping evenly from `from` to `to`.
std::vector<int16_t> Block(int from, int to) {
  std::vector<int16_t> s(SamplesPerPeak);
  for (uint32_t i = 0; i < SamplesPerPeak; ++i) s[i] = static_cast<int16_t>(from + (to - from) * int(i) / int(SamplesPerPeak - 1));
  return s;
}

TEST(FramePeaks, GreatestMagnitudeWithItsSignTieToNegative) {
  const struct { int from, to, peak; } cases[] = {
      {-3000, 2000, -3000}, {-2000, 3000, 3000}, {0, 0, 0}, {-2500, 2500, -2500}, {100, 900, 900}, {-32768, 0, -32768},
  };
  for (const auto& c : cases) {
    auto pcm = Pcm(Block(c.from, c.to));
    int16_t peak = 12345;
    ASSERT_EQ(ComputeFramePeaks(pcm.data(), static_cast<uint32_t>(pcm.size()), &peak), 1u);
    EXPECT_EQ(peak, c.peak) << c.from << ".." << c.to;
  }
}

TEST(FramePeaks, OnlyWholeBlocksGetAnEntry) {
  std::vector<uint8_t> pcm(3 * 2304, 0);
  int16_t peaks[4] = {7, 7, 7, 7};
  EXPECT_EQ(ComputeFramePeaks(pcm.data(), 2303, peaks), 0u);
  EXPECT_EQ(peaks[0], 7);
  EXPECT_EQ(ComputeFramePeaks(pcm.data(), 4608, peaks), 2u);
  EXPECT_EQ(ComputeFramePeaks(pcm.data(), 3 * 2304 - 1, peaks), 2u);
  EXPECT_EQ(ComputeFramePeaks(pcm.data(), 3 * 2304, peaks), 3u);
}

TEST(VoiceSound, BufferSizeAndFlags) {
  const struct {
    uint32_t bytes;
    SoundManagerBytes manager;
    uint32_t bufferBytes, flags;
  } cases[] = {
      {2303, {0, 0}, 2303, 0xE0},      {0, {0, 1}, 4, 0xE0},          {3, {0x04, 0}, 4, 0x400E0},
      {88200, {0, 2}, 88200, 0x300B0}, {0x10000000, {0x04, 2}, 0x0FFFFFFF, 0x700B0},
  };
  for (const auto& c : cases) {
    GameSoundRecord r{};
    DescribeVoiceSound(r, c.bytes, c.manager);
    EXPECT_EQ(r.description.dwBufferBytes, c.bufferBytes) << c.bytes;
    EXPECT_EQ(r.description.dwFlags, c.flags) << c.bytes;
    EXPECT_EQ(r.description.dwSize, 36u);
    EXPECT_EQ(r.description.lpwfxFormat, &r.format);
    EXPECT_EQ(r.format.nSamplesPerSec, 44100u);
    EXPECT_EQ(r.format.nAvgBytesPerSec, 88200u);
    EXPECT_EQ(r.format.nBlockAlign, 2);
    EXPECT_EQ(r.format.wBitsPerSample, 16);
    EXPECT_EQ(r.format.nChannels, 1);
  }
}

}  // namespace
