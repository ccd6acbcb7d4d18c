// SpeakerBufferTable with real DirectSound buffers (Wine's DirectSound on a
// PulseAudio null sink).
#include <gtest/gtest.h>

#include <windows.h>
#include <mmsystem.h>
#include <dsound.h>

#include <cstring>
#include <vector>

#include "plugin/speech/speaker_buffer_table.h"
#include "plugin/game/voice_playback.h"

namespace {

ObjectRef* Speaker(uintptr_t n) { return reinterpret_cast<ObjectRef*>(0x1000 + n * 0x10); }

ULONG References(IUnknown* u) {
  u->AddRef();
  return u->Release();
}

class SpeakerBuffers : public ::testing::Test {
 protected:
  void SetUp() override {
    std::memset(SpeakerBufferTable, 0, sizeof SpeakerBufferTable);
    ASSERT_EQ(DirectSoundCreate8(nullptr, &sound, nullptr), DS_OK) << "no audio device";
    sound->SetCooperativeLevel(GetDesktopWindow(), DSSCL_PRIORITY);
  }
  void TearDown() override {
    StopAllSpeech();
    for (IDirectSoundBuffer* b : made) b->Release();
    if (sound) sound->Release();
  }
  // A second of silence, playing in a loop unless asked otherwise.
  IDirectSoundBuffer* Buffer(bool playing = true) {
    WAVEFORMATEX f{WAVE_FORMAT_PCM, 1, 44100, 88200, 2, 16, 0};
    DSBUFFERDESC d{sizeof d, DSBCAPS_CTRLFREQUENCY | DSBCAPS_CTRLVOLUME | DSBCAPS_GETCURRENTPOSITION2, 88200, 0, &f,
                   {}};
    IDirectSoundBuffer* b = nullptr;
    EXPECT_EQ(sound->CreateSoundBuffer(&d, &b, nullptr), DS_OK);
    if (playing) b->Play(0, 0, DSBPLAY_LOOPING);
    made.push_back(b);
    return b;
  }
  IDirectSound8* sound = nullptr;
  std::vector<IDirectSoundBuffer*> made;
};

TEST_F(SpeakerBuffers, ASecondLineOfTheSameSpeakerStopsTheFirst) {
  IDirectSoundBuffer* first = Buffer();
  EXPECT_EQ(EnterSpeakerBuffer(Speaker(1), first), SpeakerBufferDone);
  EXPECT_EQ(References(first), 2u);  // the game's and the table's
  EXPECT_EQ(RemoveSpeakerBuffer(Speaker(1)), SpeakerBufferDone);
  EXPECT_FALSE(BufferPlaying(first));
  EXPECT_EQ(References(first), 1u);
  EXPECT_EQ(SpeakerBufferTable[0].buffer, nullptr);
  EXPECT_EQ(RemoveSpeakerBuffer(Speaker(1)), SpeakerBufferNoSpeaker);
}

TEST_F(SpeakerBuffers, AFinishedLineStaysInTheTableOnRemove) {
  IDirectSoundBuffer* done = Buffer(/*playing=*/false);
  EnterSpeakerBuffer(Speaker(2), done);
  EXPECT_EQ(RemoveSpeakerBuffer(Speaker(2)), SpeakerBufferNotPlaying);
  EXPECT_EQ(SpeakerBufferTable[0].buffer, done);
}

TEST_F(SpeakerBuffers, TheTableKeepsItsBuffersAliveAfterTheGameLetsGo) {
  IDirectSoundBuffer* b = Buffer();
  EnterSpeakerBuffer(Speaker(3), b);
  made.pop_back();
  b->Release();  // the game is done with it
  StopAllSpeech();  // still a valid object to stop and release
  EXPECT_EQ(SpeakerBufferTable[0].buffer, nullptr);
}

TEST_F(SpeakerBuffers, StopAllSpeechStopsEveryLine) {
  IDirectSoundBuffer* a = Buffer();
  IDirectSoundBuffer* b = Buffer();
  EnterSpeakerBuffer(Speaker(1), a);
  EnterSpeakerBuffer(Speaker(2), b);
  StopAllSpeech();
  EXPECT_FALSE(BufferPlaying(a));
  EXPECT_FALSE(BufferPlaying(b));
  for (const SpeakerBufferEntry& e : SpeakerBufferTable) EXPECT_EQ(e.buffer, nullptr);
}

TEST_F(SpeakerBuffers, AFullTableReusesFinishedEntriesThenEntryZero) {
  std::vector<IDirectSoundBuffer*> lines;
  for (int i = 0; i < SpeakerBufferCount; ++i) {
    lines.push_back(Buffer());
    EXPECT_EQ(EnterSpeakerBuffer(Speaker(10 + i), lines.back()), SpeakerBufferDone);
  }
  lines[5]->Stop();
  IDirectSoundBuffer* reused = Buffer();
  EXPECT_EQ(EnterSpeakerBuffer(Speaker(40), reused), SpeakerBufferDone);
  EXPECT_EQ(SpeakerBufferTable[5].buffer, reused);

  IDirectSoundBuffer* over = Buffer();
  EXPECT_EQ(EnterSpeakerBuffer(Speaker(41), over), SpeakerBufferOverwrote);
  EXPECT_EQ(SpeakerBufferTable[0].speaker, Speaker(41));
  EXPECT_EQ(SpeakerBufferTable[0].buffer, over);
  EXPECT_TRUE(BufferPlaying(lines[0]));  // out of reach, still playing
}

}  // namespace
