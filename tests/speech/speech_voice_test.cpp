// SpeechVoice against the SAPI stand-in.
#include <windows.h>
#include <sapi.h>

#include <cstring>
#include <string>

#include "speech/speech_voice.h"
#include "support/standin_environment.h"

using namespace speechtest;

namespace {

const auto* const environment = ::testing::AddGlobalTestEnvironment(new StandInEnvironment);

std::string Narrow(const wchar_t* w) {
  char out[512] = {};
  WideCharToMultiByte(CP_ACP, 0, w, -1, out, sizeof out, nullptr, nullptr);
  return out;
}

// A voice set up as the plug-in's worker does it.
struct MemoryVoice {
  explicit MemoryVoice(const char* name, const char* config = "") {
    std::memset(&voice, 0, sizeof voice);
    EXPECT_EQ(voice.Init(MemoryStream, 0), 0);
    EXPECT_EQ(voice.SetAudioFormat(AudioFormat44kHz16BitMono), 0);
    EXPECT_EQ(voice.SetConfig(config), 0);
    selected = voice.SelectVoice(name);
  }
  ~MemoryVoice() { voice.Release(); }
  uint32_t SpeakBytes(const char* text) {
    EXPECT_EQ(voice.Speak(text), 0);
    const uint8_t* data = nullptr;
    uint32_t size = 0;
    EXPECT_EQ(voice.GetAudio(&data, &size), 0);
    EXPECT_NE(data, nullptr);
    return size;
  }
  int16_t Peak(const char* text) {
    voice.Speak(text);
    const uint8_t* data = nullptr;
    uint32_t size = 0;
    voice.GetAudio(&data, &size);
    int16_t peak = 0;
    for (uint32_t i = 0; i + 1 < size; i += 2) {
      int16_t s;
      std::memcpy(&s, data + i, 2);
      if (s > peak) peak = s;
    }
    return peak;
  }
  SpeechVoice voice;
  int32_t selected;
};

TEST(SpeechVoice, OfTwoEqualDescriptionsTheLaterWinsWhateverTheCase) {
  sapistandin::SetVoices({"Quorrim Alto", "Quorrim Bass", "QUORRIM alto", "Quorrim Tenor"});
  MemoryVoice v("quorrim ALTO");
  EXPECT_EQ(v.selected, 0);
  EXPECT_EQ(Narrow(v.voice.voiceName), "quorrim ALTO");
  EXPECT_EQ(v.voice.tokens, nullptr);  // held only while selecting
  v.SpeakBytes("Hi");
  EXPECT_EQ(sapistandin::ReadString("LastVoice"), "QUORRIM alto");
}

TEST(SpeechVoice, UnknownDescriptionGivesTwoAndTheDefaultVoiceSpeaks) {
  sapistandin::SetVoices({"Quorrim Alto", "Quorrim Bass"}, "Quorrim Bass");
  MemoryVoice v("Quorrim Soprano");
  EXPECT_EQ(v.selected, 2);
  EXPECT_EQ(v.voice.voiceName[0], 0);
  EXPECT_NE(v.voice.voice, nullptr);
  EXPECT_EQ(v.SpeakBytes("Hello"), 5 * BytesPerChar);
  EXPECT_EQ(sapistandin::ReadString("LastVoice"), "Quorrim Bass");
}

TEST(SpeechVoice, NoVoiceInstalledGivesTwo) {
  sapistandin::SetVoices({});
  MemoryVoice v("Quorrim Alto");
  EXPECT_EQ(v.selected, 2);
}

TEST(SpeechVoice, ConfigurationPrefixReachesTheEngine) {
  sapistandin::SetVoices({"Quorrim Alto"});
  const char config[] = "<pitch absmiddle=\"5\"><rate absspeed=\"-3\"><volume level=\"40\">";
  MemoryVoice v("Quorrim Alto", config);
  EXPECT_EQ(v.voice.configLength, std::strlen(config));
  v.SpeakBytes("Good day, outlander.");
  EXPECT_EQ(sapistandin::ReadString("LastText"), std::string(config) + "Good day, outlander.");
  EXPECT_EQ(sapistandin::ReadString("LastPlain"), "Good day, outlander.");
  EXPECT_EQ(sapistandin::ReadNumber("LastPitch"), 5);
  EXPECT_EQ(sapistandin::ReadNumber("LastRate"), -3);
  EXPECT_EQ(sapistandin::ReadNumber("LastVolume"), 40);
  EXPECT_EQ(sapistandin::ReadNumber("LastFlags"), 2);  // purge, synchronous, no XML flag
}

TEST(SpeechVoice, EmptyConfigurationSpeaksTheTextAloneAndMarkupInItIsParsed) {
  sapistandin::SetVoices({"Quorrim Alto"});
  MemoryVoice v("Quorrim Alto");
  v.SpeakBytes("Plain <words>");
  EXPECT_EQ(sapistandin::ReadString("LastText"), "Plain <words>");
  EXPECT_EQ(sapistandin::ReadString("LastPlain"), "Plain <words>");
  v.SpeakBytes("<volume level=\"0\">Hush");
  EXPECT_EQ(sapistandin::ReadString("LastPlain"), "Hush");
  EXPECT_EQ(sapistandin::ReadNumber("LastVolume"), 0);
}

// The stand-in's parser refuses what SAPI's refuses: the speak call fails
// and nothing is rendered, though the voice object (which does not look at
// SAPI's answer) reports the call as made.
TEST(SpeechVoice, MarkupTheParserCannotReadIsRefusedAndNothingIsSpoken) {
  sapistandin::SetVoices({"Quorrim Alto"});
  MemoryVoice configured("Quorrim Alto", "<volume level=\"90\">");
  const long BadSyntax = static_cast<long>(0x80045042);
  const struct {
    const char* text;
    long result;
    const char* plain;
  } cases[] = {
      {"Salt & rice", BadSyntax, ""},
      {"Salt &amp rice", BadSyntax, ""},
      {"Salt &nbsp; rice", BadSyntax, ""},
      {"Salt <", BadSyntax, ""},
      {"Salt < rice >", BadSyntax, ""},
      {"Salt &amp; rice &gt; bread &lt; &#65;&#x42;", 0, "Salt & rice > bread < AB"},
      {"Salt > rice", 0, "Salt > rice"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(configured.voice.Speak(c.text), 0);
    EXPECT_EQ(sapistandin::ReadNumber("LastResult"), c.result);
    EXPECT_EQ(sapistandin::ReadString("LastPlain"), c.plain);
    const uint8_t* data = nullptr;
    uint32_t size = 0;
    configured.voice.GetAudio(&data, &size);
    EXPECT_EQ(size == 0, c.result != 0);
  }
  // Without markup in front the string is not parsed at all.
  MemoryVoice plain("Quorrim Alto");
  EXPECT_EQ(plain.SpeakBytes("Salt & rice"), 11 * BytesPerChar);
  EXPECT_EQ(sapistandin::ReadNumber("LastResult"), 0);
  EXPECT_EQ(sapistandin::ReadString("LastPlain"), "Salt & rice");
}

TEST(SpeechVoice, AShorterSecondTextReportsOnlyItsOwnBytes) {
  sapistandin::SetVoices({"Quorrim Alto"});
  MemoryVoice v("Quorrim Alto");
  EXPECT_EQ(v.SpeakBytes("A rather long first line."), 25 * BytesPerChar);
  EXPECT_EQ(v.voice.Speak("Short."), 0);
  const uint8_t* data = nullptr;
  uint32_t size = 0;
  ASSERT_EQ(v.voice.GetAudio(&data, &size), 0);
  EXPECT_EQ(size, 6 * BytesPerChar);
  // Rewound, not truncated: the stale tail is still in the array.
  ASSERT_NE(v.voice.audioArray, nullptr);
  EXPECT_EQ(v.voice.audioArray->rgsabound[0].cElements, 25 * BytesPerChar);
  EXPECT_EQ(data, v.voice.audioArray->pvData);
}

TEST(SpeechVoice, SoundFollowsTextRateAndVolume) {
  sapistandin::SetVoices({"Quorrim Alto"});
  MemoryVoice normal("Quorrim Alto");
  MemoryVoice fast("Quorrim Alto", "<rate absspeed=\"10\">");
  MemoryVoice quiet("Quorrim Alto", "<volume level=\"25\">");
  EXPECT_LT(normal.SpeakBytes("Hi"), normal.SpeakBytes("Hello there"));
  EXPECT_LT(fast.SpeakBytes("Hello there"), normal.SpeakBytes("Hello there"));
  const int16_t loud = normal.Peak("Hello"), soft = quiet.Peak("Hello");
  EXPECT_NEAR(loud, 12000, 200);
  EXPECT_NEAR(soft, 3000, 100);
}

TEST(SpeechVoice, GetAudioWithoutMemoryStreamGivesOne) {
  SpeechVoice v;
  std::memset(&v, 0, sizeof v);
  ASSERT_EQ(v.Init(Speakers, 0), 0);
  const uint8_t* data = nullptr;
  uint32_t size = 7;
  EXPECT_EQ(v.GetAudio(&data, &size), 1);
  EXPECT_EQ(size, 7u);
  EXPECT_EQ(v.Speak("Hi"), 1);  // no voice selected yet
  v.Release();
}

TEST(SpeechVoice, UnknownModeGivesMinusOne) {
  SpeechVoice v;
  std::memset(&v, 0, sizeof v);
  EXPECT_EQ(v.Init(7, 0), -1);
  v.Release();
}

TEST(SpeechVoice, SpeakersModeSpeaksToTheDevice) {
  sapistandin::SetVoices({"Quorrim Alto"});
  SpeechVoice v;
  std::memset(&v, 0, sizeof v);
  ASSERT_EQ(v.Init(Speakers, 0), 0);
  ASSERT_EQ(v.SelectVoice("Quorrim Alto"), 0);
  EXPECT_EQ(v.Speak("Hi"), 0);
  EXPECT_EQ(sapistandin::ReadString("LastOutput"), "speakers");
  EXPECT_EQ(v.Speak(nullptr), 1);
  v.Release();
}

// A stream mode whose stream could not be made speaks nothing (not aloud on
// the speakers, which would hold the worker for the whole line) and says so.
TEST(SpeechVoice, AStreamModeWithoutItsStreamSpeaksNothing) {
  sapistandin::SetVoices({"Quorrim Alto"});
  for (uint32_t mode : {MemoryStream, FileStream}) {
    SCOPED_TRACE(mode);
    SpeechVoice v;
    std::memset(&v, 0, sizeof v);
    ASSERT_EQ(v.Init(mode, 0), 0);
    ASSERT_EQ(v.SelectVoice("Quorrim Alto"), 0);
    if (v.memoryStream) v.memoryStream->Release(), v.memoryStream = nullptr;
    if (v.fileStream) v.fileStream->Release(), v.fileStream = nullptr;
    const long before = sapistandin::SpeakCount();
    EXPECT_EQ(v.Speak("Hi"), 1);
    EXPECT_EQ(sapistandin::SpeakCount(), before);
    v.Release();
  }
}

TEST(SpeechVoice, FileStreamModeWritesAWaveFile) {
  sapistandin::SetVoices({"Quorrim Alto"});
  testsupport::ScratchDir dir("voice-file");
  SpeechVoice v;
  std::memset(&v, 0, sizeof v);
  ASSERT_EQ(v.Init(FileStream, 0), 0);
  EXPECT_EQ(v.SetAudioFormat(AudioFormat44kHz16BitMono), 0);
  EXPECT_EQ(v.SetFileName((dir / "line.wav").c_str()), 0);
  ASSERT_EQ(v.SelectVoice("Quorrim Alto"), 0);
  EXPECT_EQ(v.Speak("Hello"), 0);
  std::string wave = testsupport::ReadFile(dir / "line.wav");
  ASSERT_EQ(wave.size(), 44 + 5 * BytesPerChar);
  uint32_t rate;
  std::memcpy(&rate, wave.data() + 24, 4);
  EXPECT_EQ(rate, 44100u);
  EXPECT_EQ(sapistandin::ReadString("LastOutput"), "file");
  v.Release();
}

TEST(SpeechVoice, ListVoicesInReverseOrderEachEndingInCrLf) {
  sapistandin::SetVoices({"Quorrim Alto", "Quorrim Bass", "Quorrim Tenor"});
  SpeechVoice v;
  std::memset(&v, 0, sizeof v);
  char list[512];
  uint32_t count = 0;
  ASSERT_EQ(v.ListVoices(list, sizeof list, &count), 0);
  EXPECT_EQ(count, 3u);
  EXPECT_STREQ(list, "Quorrim Tenor\r\nQuorrim Bass\r\nQuorrim Alto\r\n");
  EXPECT_EQ(v.voice, nullptr);  // its own voice is untouched
  char tiny[8] = "x";
  EXPECT_EQ(v.ListVoices(tiny, sizeof tiny, nullptr), 0);
  EXPECT_EQ(tiny[0], 0);
  HeapFree(GetProcessHeap(), 0, v.voiceList);
}

// Every stand-in object is gone after Release, and a second Release changes
// nothing: each interface was released exactly once.
TEST(SpeechVoice, ReleaseTwiceReleasesEachInterfaceOnce) {
  sapistandin::SetVoices({"Quorrim Alto"});
  {
    MemoryVoice v("Quorrim Alto");
    v.SpeakBytes("Hi");
    v.voice.Release();
    EXPECT_EQ(v.voice.voice, nullptr);
    EXPECT_EQ(v.voice.memoryStream, nullptr);
    EXPECT_EQ(v.voice.audioFormat, nullptr);
    EXPECT_EQ(v.voice.audioArray, nullptr);
    v.voice.Release();
  }  // and a third time in the destructor
  auto canUnload = reinterpret_cast<HRESULT(WINAPI*)()>(
      GetProcAddress(GetModuleHandleA(sapistandin::DllName), "DllCanUnloadNow"));
  ASSERT_NE(canUnload, nullptr);
  EXPECT_EQ(canUnload(), S_OK);
}

}  // namespace

namespace {

// The stand-in's road to intelligible speech: espeak-ng as a Unix program.
TEST(SpeechVoice, EspeakVoiceOfTheStandInRendersSpeech) {
  if (GetFileAttributesA("Z:\\usr\\bin\\espeak-ng") == INVALID_FILE_ATTRIBUTES) GTEST_SKIP() << "no espeak-ng";
  sapistandin::SetVoices({"Quorrim Speaking=espeak:gmw/en+m3"});
  MemoryVoice v("Quorrim Speaking");
  ASSERT_EQ(v.selected, 0);
  const uint32_t bytes = v.SpeakBytes("Hello outlander");
  // espeak-ng's own length, resampled from 22 050 Hz: not our synthesizer's.
  EXPECT_GT(bytes, 44100u / 2);
  EXPECT_NE(bytes, 15 * BytesPerChar);
  EXPECT_GT(v.Peak("Hello outlander"), 1000);
}

}  // namespace
