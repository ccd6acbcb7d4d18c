// Synthesized speech handed to the game as a voice file: the say call the
// worker makes, and the sound record the hooked loader builds from the
// rendered PCM (with the SAPI stand-in rendering and Wine's DirectSound).
#include <gtest/gtest.h>

#include <windows.h>
#include <mmsystem.h>
#include <dsound.h>

#include <cstring>
#include <string>

#include "plugin/game/fake_game.h"
#include "plugin/frame/log.h"
#include "plugin/frame/settings.h"
#include "plugin/game/game_state.h"
#include "plugin/speech/sound_record.h"
#include "plugin/speech/speaker_buffer_table.h"
#include "plugin/speech/voice_channel.h"
#include "plugin/speech/speak_loop.h"
#include "plugin/game/voice_playback.h"
#include "plugin/speech/voice_file_name.h"
#include "sapi_standin_control.h"
#include "support/plugin_log.h"
#include "support/test_support.h"

using fakegame::Actor;
using fakegame::Calls;
using testsupport::ScratchDir;

namespace {

std::string NameOf(const VoiceChannel* channel) {
  char name[VoiceFileNameSize];
  MakeVoiceFileName(channel, name);
  return name;
}

class VoiceFile : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    ASSERT_TRUE(sapistandin::Register(testsupport::RuntimeDir() + "\\" + sapistandin::DllName));
    sapistandin::SetVoices({"Test Voice"});
    CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    ASSERT_EQ(DirectSoundCreate8(nullptr, &sound, nullptr), DS_OK);
    sound->SetCooperativeLevel(GetDesktopWindow(), DSSCL_PRIORITY);
    SpeechVoice& v = VoiceFemaleDlg.voice;
    std::memset(&v, 0, sizeof v);
    v.Init(MemoryStream, 0);
    v.SetAudioFormat(AudioFormat44kHz16BitMono);
    v.SelectVoice("Test Voice");
  }
  static void TearDownTestSuite() {
    VoiceFemaleDlg.voice.Release();
    sound->Release();
  }
  VoiceFile() {
    Settings = PluginDefaults();
    std::memset(SpeakerBufferTable, 0, sizeof SpeakerBufferTable);
    *reinterpret_cast<IDirectSound**>(reinterpret_cast<uint8_t*>(game.soundManager()) + 0x0C) = reinterpret_cast<IDirectSound*>(sound);
    speaker = game.MakeNpc("Ajira", true, "Khajiit");
    VoiceFemaleDlg.speaker = speaker.ref;
    Dialogue.Reset();
  }
  ~VoiceFile() override { StopAllSpeech(); }

  // Renders `text` on the channel, as the worker does before it says it.
  uint32_t Render(const char* text) {
    EXPECT_EQ(VoiceFemaleDlg.voice.Speak(text), 0);
    const uint8_t* data;
    uint32_t bytes = 0;
    VoiceFemaleDlg.voice.GetAudio(&data, &bytes);
    return bytes;
  }
  GameSoundRecord* Load(const std::string& path, uint32_t second = 0x5EC) {
    return static_cast<GameSoundRecord*>(ProcessVoiceFile(game.soundManager(), nullptr, path.c_str(), second));
  }
  uint8_t& ManagerByte(uint32_t offset) { return reinterpret_cast<uint8_t*>(game.soundManager())[offset]; }

  static IDirectSound8* sound;
  fakegame::Game game;
  Actor speaker;
};
IDirectSound8* VoiceFile::sound = nullptr;

TEST_F(VoiceFile, PlayChannelSaysTheChannelsNameWithTheZoomedVolume) {
  Calls().volume = 250;
  Dialogue.savedFov = 75;
  Dialogue.targetFov = 60;
  EXPECT_EQ(PlayChannel(&VoiceFemaleDlg, SpeechEpoch(), false), 0u);
  ASSERT_EQ(Calls().says.size(), 1u);
  EXPECT_EQ(Calls().says[0].name, NameOf(&VoiceFemaleDlg));
  EXPECT_EQ(Calls().says[0].speaker, speaker.ref);
  EXPECT_EQ(Calls().says[0].zero, 0u);
  EXPECT_EQ(Calls().says[0].volume, 255u);
  EXPECT_EQ(PlayChannel(nullptr, SpeechEpoch(), false), 1u);
}

TEST_F(VoiceFile, TheRecordCarriesTheRenderedSpeech) {
  Settings.VPBaseFemale = 2000;
  Settings.VoiceFxByRace = 1;
  Settings.RacePitch[RaceKhajiit] = 1000;
  const uint32_t bytes = Render("Greetings, outlander.");
  GameSoundRecord* record = Load("Vo\\k\\f\\" + NameOf(&VoiceFemaleDlg));
  ASSERT_NE(record, nullptr);
  ASSERT_NE(record->buffer, nullptr);
  EXPECT_TRUE(Calls().loads.empty());
  EXPECT_EQ(record->description.dwBufferBytes, bytes);
  EXPECT_EQ(record->description.lpwfxFormat, &record->format);
  EXPECT_EQ(record->format.nSamplesPerSec, 44100u);
  EXPECT_EQ(record->buffer3d, nullptr);
  DWORD frequency = 0;
  record->buffer->GetFrequency(&frequency);
  EXPECT_EQ(frequency, 44100u + 3000u);
  LONG volume = -1;
  record->buffer->GetVolume(&volume);
  EXPECT_EQ(volume, 0);

  // The buffer holds the bytes the voice rendered; the peaks follow them.
  const uint8_t* pcm;
  uint32_t size;
  VoiceFemaleDlg.voice.GetAudio(&pcm, &size);
  void* locked;
  DWORD lockedBytes;
  ASSERT_EQ(record->buffer->Lock(0, 0, &locked, &lockedBytes, nullptr, nullptr, DSBLOCK_ENTIREBUFFER), DS_OK);
  EXPECT_EQ(std::memcmp(locked, pcm, bytes), 0);
  record->buffer->Unlock(locked, lockedBytes, nullptr, 0);
  int16_t expected[4];
  const uint32_t peaks = ComputeFramePeaks(pcm, bytes < 4 * BytesPerPeak ? bytes : 4 * BytesPerPeak, expected);
  ASSERT_GT(peaks, 0u);
  for (uint32_t i = 0; i < peaks; ++i) EXPECT_EQ(record->framePeaks[i], expected[i]);

  EXPECT_EQ(SpeakerBufferTable[0].speaker, speaker.ref);
  EXPECT_EQ(SpeakerBufferTable[0].buffer, record->buffer);
  record->buffer->Release();
}

// Where SAPI refuses the markup (Wine's), the voice speaks the plain text
// and its configured pitch goes onto the buffer beside the speaker's, one
// voice step as 500 Hz; where markup works nothing is added.
TEST_F(VoiceFile, APitchTheVoiceCouldNotTakeGoesOntoTheBuffer) {
  Settings.VPBaseFemale = 2000;
  const struct {
    bool markupRefused;
    DWORD frequency;
  } cases[] = {{false, 44100 + 2000}, {true, 44100 + 2000 + 4 * 500}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.markupRefused);
    sapistandin::SetRefused("RefuseMarkup", c.markupRefused);
    SpeechVoice& v = VoiceMaleDlg.voice;
    std::memset(&v, 0, sizeof v);
    v.Init(MemoryStream, 0);
    v.SetAudioFormat(AudioFormat44kHz16BitMono);
    v.SetConfig("<pitch absmiddle=\"4\"><rate absspeed=\"0\"><volume level=\"100\">");
    v.SelectVoice("Test Voice");
    VoiceMaleDlg.speaker = speaker.ref;
    EXPECT_EQ(v.Speak("Greetings."), 0);
    GameSoundRecord* record = Load("Vo\\k\\f\\" + NameOf(&VoiceMaleDlg));
    sapistandin::SetRefused("RefuseMarkup", false);
    ASSERT_NE(record, nullptr);
    DWORD frequency = 0;
    record->buffer->GetFrequency(&frequency);
    EXPECT_EQ(frequency, c.frequency);
    StopAllSpeech();
    record->buffer->Release();
    v.Release();
  }
}

TEST_F(VoiceFile, ThreeDimensionalSoundGetsItsInterface) {
  ManagerByte(0x18) = 2;
  Render("Hm.");
  GameSoundRecord* record = Load(NameOf(&VoiceFemaleDlg));
  ASSERT_NE(record, nullptr);
  EXPECT_EQ(record->description.dwFlags, 0x300B0u);
  EXPECT_NE(record->buffer3d, nullptr);
  if (record->buffer3d) record->buffer3d->Release();
  record->buffer->Release();
}

TEST_F(VoiceFile, OtherNamesGoToTheGamesLoader) {
  const std::string ours = NameOf(&VoiceFemaleDlg);
  const std::string lower = "vtts" + ours.substr(4);
  char foreign[32];
  wsprintfA(foreign, "VTTS%08X", static_cast<unsigned>(reinterpret_cast<uintptr_t>(&Settings)));
  for (const std::string& path : {std::string("Vo\\d\\m\\Hlo_DM001.mp3"), lower, std::string(foreign)}) {
    Calls().loads.clear();
    EXPECT_EQ(Load(path, 0x77), Calls().loaderResult) << path;
    ASSERT_EQ(Calls().loads.size(), 1u) << path;
    EXPECT_EQ(Calls().loads[0].path, path);
    EXPECT_EQ(Calls().loads[0].second, 0x77u);
  }
}

TEST_F(VoiceFile, NoRecordWhenTheManagerSaysSoOrNothingWasRendered) {
  ManagerByte(0x2A8) = 1;
  Render("Hm.");
  EXPECT_EQ(Load(NameOf(&VoiceFemaleDlg)), nullptr);
  ManagerByte(0x2A8) = 0;
  EXPECT_EQ(Load(NameOf(&VoiceMaleDlg)), nullptr);  // a channel whose voice has no stream
  EXPECT_TRUE(Calls().loads.empty());
}

// A DirectSound that refuses every buffer.
struct RefusingSound : IDirectSound {
  HRESULT WINAPI QueryInterface(REFIID, void**) override { return E_NOINTERFACE; }
  ULONG WINAPI AddRef() override { return 1; }
  ULONG WINAPI Release() override { return 1; }
  HRESULT WINAPI CreateSoundBuffer(LPCDSBUFFERDESC, LPDIRECTSOUNDBUFFER*, LPUNKNOWN) override {
    return DSERR_OUTOFMEMORY;
  }
  HRESULT WINAPI GetCaps(LPDSCAPS) override { return E_NOTIMPL; }
  HRESULT WINAPI DuplicateSoundBuffer(LPDIRECTSOUNDBUFFER, LPDIRECTSOUNDBUFFER*) override { return E_NOTIMPL; }
  HRESULT WINAPI SetCooperativeLevel(HWND, DWORD) override { return E_NOTIMPL; }
  HRESULT WINAPI Compact() override { return E_NOTIMPL; }
  HRESULT WINAPI GetSpeakerConfig(LPDWORD) override { return E_NOTIMPL; }
  HRESULT WINAPI SetSpeakerConfig(DWORD) override { return E_NOTIMPL; }
  HRESULT WINAPI Initialize(LPCGUID) override { return E_NOTIMPL; }
};

TEST_F(VoiceFile, BufferCreationFailureIsLoggedAndHandsNothing) {
  ScratchDir dir("voicefile-refused");
  lstrcpynA(LogFilePath, (dir / "loader.log").c_str(), sizeof LogFilePath);
  RefusingSound refusing;
  *reinterpret_cast<IDirectSound**>(reinterpret_cast<uint8_t*>(game.soundManager()) + 0x0C) = &refusing;
  Render("Hm.");
  EXPECT_EQ(Load(NameOf(&VoiceFemaleDlg)), nullptr);
  EXPECT_EQ(testsupport::WrittenLog(dir / "loader.log"),
            std::vector<std::string>{"BIGCLASS::ProcessVoiceFile -> Creating DirectSound buffer FAILED!"});
  LogFilePath[0] = 0;
  for (const SpeakerBufferEntry& e : SpeakerBufferTable) EXPECT_EQ(e.buffer, nullptr);
}

TEST_F(VoiceFile, ASecondLineOfTheSameSpeakerStopsTheFirst) {
  Render("First line, a long one that is still playing.");
  GameSoundRecord* first = Load(NameOf(&VoiceFemaleDlg));
  ASSERT_NE(first, nullptr);
  first->buffer->Play(0, 0, DSBPLAY_LOOPING);
  Render("Second.");
  GameSoundRecord* second = Load(NameOf(&VoiceFemaleDlg));
  ASSERT_NE(second, nullptr);
  EXPECT_FALSE(BufferPlaying(first->buffer));
  EXPECT_EQ(SpeakerBufferTable[0].buffer, second->buffer);
  first->buffer->Release();
  second->buffer->Release();
}

// A sound made ready ahead of its say (the next piece of a long line) is
// what the loader hands the game: the record it would have built from the
// voice, buffer, pitch, peaks and table entry alike, in 2D and 3D.  Once
// taken or dropped, the loader builds from the voice again.
TEST_F(VoiceFile, APreparedSoundIsTheRecordTheLoaderWouldBuild) {
  Settings.VPBaseFemale = 2000;
  Settings.VoiceFxByRace = 1;
  for (uint8_t mode : {1, 2}) {
    SCOPED_TRACE(mode);
    ManagerByte(0x18) = mode;
    const uint32_t bytes = Render("Greetings, outlander, and welcome.");
    GameSoundRecord* built = Load(NameOf(&VoiceFemaleDlg));
    ASSERT_NE(built, nullptr);
    ASSERT_TRUE(PrepareVoiceSound(&VoiceFemaleDlg));
    GameSoundRecord* prepared = Load(NameOf(&VoiceFemaleDlg));
    ASSERT_NE(prepared, nullptr);
    EXPECT_NE(prepared->buffer, built->buffer);
    EXPECT_EQ(prepared->description.dwFlags, built->description.dwFlags);
    EXPECT_EQ(prepared->description.dwBufferBytes, bytes);
    EXPECT_EQ(prepared->description.lpwfxFormat, &prepared->format);
    EXPECT_EQ(std::memcmp(&prepared->format, &built->format, sizeof prepared->format), 0);
    EXPECT_EQ(prepared->buffer3d != nullptr, mode == 2);
    DWORD a = 0, b = 0;
    prepared->buffer->GetFrequency(&a);
    built->buffer->GetFrequency(&b);
    EXPECT_EQ(a, b);
    EXPECT_EQ(a, 44100u + 2000u);
    EXPECT_EQ(std::memcmp(prepared->framePeaks, built->framePeaks, bytes / BytesPerPeak * sizeof(int16_t)), 0);
    EXPECT_EQ(SpeakerBufferTable[0].buffer, prepared->buffer);

    // Taken: the next load builds from what the voice holds now.
    const uint32_t shorter = Render("Hm.");
    GameSoundRecord* again = Load(NameOf(&VoiceFemaleDlg));
    ASSERT_NE(again, nullptr);
    EXPECT_EQ(again->description.dwBufferBytes, shorter);
    // Dropped: likewise.
    ASSERT_TRUE(PrepareVoiceSound(&VoiceFemaleDlg));
    DropPreparedSound(&VoiceFemaleDlg);
    const uint32_t longer = Render("Hm, hm, hm.");
    GameSoundRecord* after = Load(NameOf(&VoiceFemaleDlg));
    ASSERT_NE(after, nullptr);
    EXPECT_EQ(after->description.dwBufferBytes, longer);
    for (GameSoundRecord* r : {built, prepared, again, after}) {
      if (r->buffer3d) r->buffer3d->Release();
      r->buffer->Release();
    }
  }
}

// Without voices in the game nothing is made ready.
TEST_F(VoiceFile, NothingIsPreparedWhileTheGameHasNoVoices) {
  Render("Hm.");
  ManagerByte(0x2A8) = 1;
  EXPECT_FALSE(PrepareVoiceSound(&VoiceFemaleDlg));
  ManagerByte(0x2A8) = 0;
  EXPECT_FALSE(PrepareVoiceSound(&VoiceMaleDlg));  // a channel whose voice has no stream
}

}  // namespace
