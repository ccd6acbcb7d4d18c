// The worker thread in this process: voices set up from
// the channels, speak requests, the key chords pressed with SendInput, and
// the host's release request.  What the voices rendered is seen through the
// SAPI stand-in's record, what the worker did through its log lines.
#include <algorithm>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "plugin/frame/lifecycle.h"
#include "plugin/frame/log.h"
#include "plugin/frame/plugin_state.h"
#include "plugin/frame/settings.h"
#include "plugin/game/captured_text.h"
#include "plugin/game/dialogue_capture.h"
#include "plugin/game/game_state.h"
#include "plugin/game/voice_playback.h"
#include "plugin/speech/lexicon_speech.h"
#include "plugin/speech/speak_loop.h"
#include "plugin/speech/speak_request.h"
#include "plugin/speech/text_filter.h"
#include "plugin/speech/voice_channel.h"
#include "plugin/game/fake_game.h"
#include "support/plugin_log.h"
#include "support/worker_support.h"
#include "support/standin_environment.h"

using namespace speechtest;
using namespace testsupport;

namespace {

const auto* const environment = ::testing::AddGlobalTestEnvironment(new StandInEnvironment);

constexpr uint32_t SpeakKey = VK_F9;
constexpr uint32_t SilenceKey = VK_F10;
ObjectRef* const SomeActor = reinterpret_cast<ObjectRef*>(0x1234);

// A press held until its effect is seen, however slowly the worker's rounds
// come round; false when it never was.
bool PressUntil(WORD vk, const std::function<bool()>& effect, DWORD timeoutMs = 5000) {
  PressKey(vk, true);
  const bool seen = WaitFor(effect, timeoutMs);
  PressKey(vk, false);
  return seen;
}

// A press that should change nothing: held across many of the worker's
// rounds, so that a fault has every chance to show.
void PressWithoutEffect(WORD vk) {
  PressKey(vk, true);
  Sleep(10 * ActiveRoundMs);
  PressKey(vk, false);
}

class Worker : public ::testing::Test {
 protected:
  Worker() : dir_("worker-" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name())) {}

  void SetUp() override {
    sapistandin::SetVoices({"Quorrim Male", "Quorrim Female", "Quorrim Creature"}, "Quorrim Creature");
    lstrcpynA(LogFilePath, (dir_ / "ModuleLoader.log").c_str(), sizeof LogFilePath);
    Settings = PluginDefaults();
    Settings.SpeakKeyCode = SpeakKey;
    Settings.SilenceKeyCode = SilenceKey;
    for (VoiceChannel* c : AllChannels) std::memset(c, 0, sizeof *c);
    const char* names[] = {"Quorrim Male", "Quorrim Female", "Quorrim Creature"};
    VoiceChannel* dialogue[] = {&VoiceMaleDlg, &VoiceFemaleDlg, &VoiceCreatureDlg};
    for (int i = 0; i < 3; ++i) {
      dialogue[i]->enabled = 1;
      dialogue[i]->autoSpeak = 1;
      lstrcpyA(dialogue[i]->voiceName, names[i]);
    }
    lstrcpyA(VoiceDoc.voiceName, "?");
    Dialogue.Reset();
    SpeakLoop.Reset();
    Dialogue.CurrentSpeaker = SomeActor;
    // The worker holds a reference to the module it runs in and ends through
    // it: here that is this program.
    PluginInstance = GetModuleHandleA(nullptr);
  }

  // The worker as attach starts it.
  void Start() {
    ASSERT_TRUE(StartWorker());
    // A no-effect id, until the worker's queue exists and takes it.
    ASSERT_TRUE(WaitFor([] { return PostThreadMessageA(WorkerThreadId, WM_USER + 2, 0, 0) != 0; }, 10000));
    ASSERT_TRUE(WaitFor([this] { return HasLine("WRKTHREAD::Entering message loop."); }, 10000));
    spoken_ = sapistandin::SpeakCount();
  }

  // Ends the worker (which releases its voices), so that a test may start
  // another one with other switches.
  void Stop() {
    StopWorkerAndFreeChannels(10000);
    SpeakLoop.speechActive = 0;
  }

  void TearDown() override {
    PressKey(SpeakKey, false);
    PressKey(SilenceKey, false);
    Stop();
    ReleaseSpeechLexicon();
    CloseLog();
  }

  std::vector<std::string> Log() { return WrittenLog(dir_ / "ModuleLoader.log"); }
  bool HasLine(const std::string& line) {
    for (const std::string& l : Log())
      if (l == line) return true;
    return false;
  }
  long SpokenSinceStart() { return sapistandin::SpeakCount() - spoken_; }

  ScratchDir dir_;
  long spoken_ = 0;
  fakegame::Game game_;  // what PlayChannel says its lines to
};

TEST_F(Worker, SetsUpTheEnabledVoicesWithTheirLines) {
  VoiceCreatureDlg.enabled = 0;
  lstrcpyA(VoiceFemaleDlg.voiceName, "Nobody");
  Start();
  std::vector<std::string> expected = {
      "DLLMAIN::Worker thread are created successfully.", "Entering worker thread...",
      "WRKTHREAD::Trying to initialize 'VoiceMaleDlg'.", "WRKTHREAD::'VoiceMaleDlg' is initialized.",
      "WRKTHREAD::Trying to initialize 'VoiceFemaleDlg'.", "WRKTHREAD::'VoiceFemaleDlg' is failed to initialize.",
      "WRKTHREAD::Entering message loop."};
  EXPECT_EQ(Log(), expected);
  // The worker releases its voices when it ends.
  Stop();
  EXPECT_EQ(Log().back(), "Exiting Quorrim...");
  EXPECT_EQ(VoiceMaleDlg.voice.voice, nullptr);
}

TEST_F(Worker, AutoSpeakRequestIsRenderedAndStaysActive) {
  Start();
  ASSERT_TRUE(PostSpeakRequest(&VoiceFemaleDlg, SomeActor, "@Well met,#\r\nstranger.<BR>"));
  ASSERT_TRUE(WaitFor([this] { return SpokenSinceStart() == 1; }, 5000));
  EXPECT_EQ(sapistandin::ReadString("LastPlain"), "Well met,  stranger.");
  EXPECT_EQ(sapistandin::ReadString("LastVoice"), "Quorrim Female");
  EXPECT_TRUE(HasLine("EVENT::Trying to speak: Well met,  stranger."));
  EXPECT_EQ(SpeakLoop.speechActive, 1u);
  EXPECT_EQ(SpeakLoop.pendingChannel, &VoiceFemaleDlg);
  ASSERT_TRUE(WaitFor([] { return fakegame::Calls().says.size() == 1; }, 5000));
  EXPECT_EQ(fakegame::Calls().says[0].speaker, SomeActor);
  // The rendered PCM is in the channel's memory stream (read once the
  // worker has handed it to the game and only samples the chords).
  const uint8_t* data = nullptr;
  uint32_t size = 0;
  ASSERT_EQ(VoiceFemaleDlg.voice.GetAudio(&data, &size), 0);
  EXPECT_EQ(size, 20 * BytesPerChar);
}

TEST_F(Worker, WithoutCurrentSpeakerTheLineIsRenderedButTheLoopGoesIdle) {
  Dialogue.CurrentSpeaker = nullptr;
  Start();
  PostSpeakRequest(&VoiceMaleDlg, SomeActor, "Nobody hears this.");
  ASSERT_TRUE(WaitFor([this] { return SpokenSinceStart() == 1; }, 5000));
  EXPECT_TRUE(WaitFor([] { return SpeakLoop.speechActive == 0; }, 2000));
}

TEST_F(Worker, RequestForADisabledChannelIsDroppedSilently) {
  VoiceCreatureDlg.enabled = 0;
  Start();
  PostSpeakRequest(&VoiceCreatureDlg, SomeActor, "Grr.");
  PostSpeakRequest(&VoiceMaleDlg, SomeActor, "Marker.");
  ASSERT_TRUE(WaitFor([this] { return HasLine("EVENT::Trying to speak: Marker."); }, 5000));
  ASSERT_TRUE(WaitFor([this] { return SpokenSinceStart() == 1; }, 5000));
  EXPECT_FALSE(HasLine("EVENT::Trying to speak: Grr."));
  EXPECT_EQ(sapistandin::ReadString("LastPlain"), "Marker.");
}

TEST_F(Worker, OnlyTheLatestWaitingLineIsSpokenOnTheSpeakChord) {
  VoiceMaleDlg.autoSpeak = 0;
  Start();
  PostSpeakRequest(&VoiceMaleDlg, SomeActor, "First line.");
  PostSpeakRequest(&VoiceMaleDlg, SomeActor, "Second line.");
  ASSERT_TRUE(WaitFor([this] { return HasLine("EVENT::Trying to speak: Second line."); }, 5000));
  Sleep(1200);
  EXPECT_EQ(SpokenSinceStart(), 0);
  EXPECT_EQ(SpeakLoop.speechActive, 1u);
  ASSERT_TRUE(PressUntil(SpeakKey, [this] { return SpokenSinceStart() >= 1; }));
  EXPECT_EQ(sapistandin::ReadString("LastPlain"), "Second line.");
  EXPECT_EQ(SpeakLoop.pendingChannel, nullptr);
  PressWithoutEffect(SpeakKey);  // nothing is waiting any more
  EXPECT_EQ(SpokenSinceStart(), 1);
  EXPECT_EQ(SpeakLoop.speechActive, 1u);
}

TEST_F(Worker, ASilencePressEndsTheActivePhase) {
  Start();
  PostSpeakRequest(&VoiceMaleDlg, SomeActor, "Listen.");
  ASSERT_TRUE(WaitFor([this] { return SpokenSinceStart() == 1; }, 5000));
  Sleep(300);
  EXPECT_EQ(SpeakLoop.speechActive, 1u);
  EXPECT_TRUE(PressUntil(SilenceKey, [] { return SpeakLoop.speechActive == 0; }));
}

// A chord acts once per press: a line that arrives while the speak chord is
// still held from the last press waits for the next one.
TEST_F(Worker, AHeldSpeakChordSpeaksOnce) {
  VoiceMaleDlg.autoSpeak = 0;
  Start();
  PostSpeakRequest(&VoiceMaleDlg, SomeActor, "First line.");
  ASSERT_TRUE(WaitFor([this] { return HasLine("EVENT::Trying to speak: First line."); }, 5000));
  PressKey(SpeakKey, true);
  ASSERT_TRUE(WaitFor([this] { return SpokenSinceStart() == 1; }, 3000));
  PostSpeakRequest(&VoiceMaleDlg, SomeActor, "Second line.");
  ASSERT_TRUE(WaitFor([this] { return HasLine("EVENT::Trying to speak: Second line."); }, 5000));
  Sleep(3000);
  EXPECT_EQ(SpokenSinceStart(), 1);
  PressKey(SpeakKey, false);
  Sleep(200);
  EXPECT_EQ(SpokenSinceStart(), 1);
  ASSERT_TRUE(PressUntil(SpeakKey, [this] { return SpokenSinceStart() == 2; }));
  EXPECT_EQ(sapistandin::ReadString("LastPlain"), "Second line.");
}

// While speech is active the loop runs its short rounds and still takes the
// next request.  How soon it does is measured by bench/scene (the call site
// to say latency of the lines after the first).
TEST_F(Worker, ASecondRequestIsTakenDuringTheActiveRounds) {
  Start();
  PostSpeakRequest(&VoiceMaleDlg, SomeActor, "One.");
  ASSERT_TRUE(WaitFor([] { return fakegame::Calls().says.size() == 1; }, 5000));
  Sleep(200);  // the loop is now in its active rounds
  EXPECT_EQ(SpeakLoop.speechActive, 1u);
  PostSpeakRequest(&VoiceFemaleDlg, SomeActor, "Two.");
  ASSERT_TRUE(WaitFor([] { return fakegame::Calls().says.size() == 2; }, 5000));
  EXPECT_EQ(sapistandin::ReadString("LastPlain"), "Two.");
}

// Leaving menu mode may free the dialogue's actors: the line waiting for the
// speak key is dropped, and so is a request that was already on its way.
TEST_F(Worker, DiscardedSpeechIsNeverSpoken) {
  VoiceMaleDlg.autoSpeak = 0;
  Start();
  PostSpeakRequest(&VoiceMaleDlg, SomeActor, "Waiting.");
  ASSERT_TRUE(WaitFor([this] { return HasLine("EVENT::Trying to speak: Waiting."); }, 5000));
  DiscardWaitingSpeech();
  // Held until the worker has let go of the line, or (the fault) spoken it.
  PressUntil(SpeakKey, [this] { return SpeakLoop.pendingChannel == nullptr || SpokenSinceStart() > 0; });
  PressWithoutEffect(SpeakKey);
  EXPECT_EQ(SpokenSinceStart(), 0);
  EXPECT_EQ(SpeakLoop.pendingChannel, nullptr);
  VoiceMaleDlg.autoSpeak = 1;
  PostSpeakRequest(&VoiceMaleDlg, SomeActor, "After the menu.");
  ASSERT_TRUE(WaitFor([this] { return SpokenSinceStart() == 1; }, 5000));
  EXPECT_EQ(sapistandin::ReadString("LastPlain"), "After the menu.");
}

TEST_F(Worker, SpeakCodeZeroCountsAsHeld) {
  Settings.SpeakKeyCode = 0;
  VoiceFemaleDlg.autoSpeak = 0;
  Start();
  PostSpeakRequest(&VoiceFemaleDlg, SomeActor, "Spoken at the first sample.");
  ASSERT_TRUE(WaitFor([this] { return SpokenSinceStart() == 1; }, 4000));
  EXPECT_EQ(sapistandin::ReadString("LastPlain"), "Spoken at the first sample.");
}

// An emptied silence row means no silence key: the line and the active
// phase go on as if it were never pressed.
TEST_F(Worker, SilenceCodeZeroNeverActs) {
  Settings.SilenceKeyCode = 0;
  Start();
  PostSpeakRequest(&VoiceMaleDlg, SomeActor, "Long-lived.");
  ASSERT_TRUE(WaitFor([] { return fakegame::Calls().says.size() == 1; }, 4000));
  Sleep(10 * ActiveRoundMs);
  EXPECT_EQ(SpeakLoop.speechActive, 1u);
}

// Each request is spoken with its own text, even when the poster refills the
// channel before the worker gets to it.
TEST_F(Worker, EachRequestKeepsItsOwnSpeakerAndText) {
  Start();
  ObjectRef* const other = reinterpret_cast<ObjectRef*>(0x5678);
  PostSpeakRequest(&VoiceMaleDlg, SomeActor, "One.");
  PostSpeakRequest(&VoiceMaleDlg, other, "Two, longer.");
  SetChannelText(&VoiceMaleDlg, "Overwritten by a later poster.");
  ASSERT_TRUE(WaitFor([this] { return SpokenSinceStart() == 2; }, 6000));
  auto log = Log();
  std::vector<std::string> events;
  for (const std::string& l : log)
    if (l.rfind("EVENT::", 0) == 0) events.push_back(l);
  EXPECT_EQ(events, (std::vector<std::string>{"EVENT::Trying to speak: One.", "EVENT::Trying to speak: Two, longer."}));
  EXPECT_EQ(sapistandin::ReadString("LastPlain"), "Two, longer.");
  EXPECT_EQ(VoiceMaleDlg.speaker, other);
}

// A rendered line waiting for the camera's zoom is played through its own
// speaker, even when the next request for the same channel (another actor)
// arrives meanwhile.
TEST_F(Worker, ALineWaitingForTheZoomKeepsItsSpeaker) {
  Settings.SpeakAfterZoom = 1;
  Dialogue.smoothZoomActive = 1;
  Start();
  ObjectRef* const other = reinterpret_cast<ObjectRef*>(0x5678);
  PostSpeakRequest(&VoiceMaleDlg, SomeActor, "First.");
  ASSERT_TRUE(WaitFor([this] { return SpokenSinceStart() == 1; }, 5000));  // now waiting for the zoom
  PostSpeakRequest(&VoiceMaleDlg, other, "Second.");
  Sleep(200);
  Dialogue.smoothZoomActive = 0;
  ASSERT_TRUE(WaitFor([] { return fakegame::Calls().says.size() == 2; }, 8000));
  EXPECT_EQ(fakegame::Calls().says[0].speaker, SomeActor);
  EXPECT_EQ(fakegame::Calls().says[1].speaker, other);
}

// Pages are read by the dialogue voice of the player's sex (DocVoiceAsDlg,
// the default), yet the document switches decide for them and the dialogue
// switches for dialogue, in every combination.
TEST_F(Worker, PagesObeyTheDocumentSwitchesWhicheverVoiceReadsThem) {
  const struct {
    uint32_t dialogueOn, documentsOn;
  } cases[] = {{1, 1}, {1, 0}, {0, 1}, {0, 0}};
  fakegame::Actor player = game_.MakeNpc("Indoril Veth", false, "Imperial");
  ObjectRef* const marker = reinterpret_cast<ObjectRef*>(0x9ABC);
  game_.SetPlayer(&player);
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "dialogue " << c.dialogueOn << ", documents " << c.documentsOn);
    Settings.DocVoiceAsDlg = 1;
    VoiceMaleDlg.enabled = VoiceFemaleDlg.enabled = c.dialogueOn;
    VoiceCreatureDlg.enabled = 1;  // carries the marker: once it is said, all before it is done
    VoiceDoc.enabled = c.documentsOn;
    VoiceDoc.autoSpeak = 1;
    fakegame::Calls().says.clear();
    const size_t logBefore = Log().size();
    Start();
    PostSpeakRequest(&VoiceFemaleDlg, SomeActor, "A line of the dialogue.");
    ClearCapturedText();
    AppendCapturedText("A page of the book.", "");
    SpeakCapturedText();  // the player is a man: the male dialogue voice reads it
    PostSpeakRequest(&VoiceCreatureDlg, marker, "Marker.");
    ASSERT_TRUE(WaitFor([&] { return !fakegame::Calls().says.empty() && fakegame::Calls().says.back().speaker == marker; },
                        8000));
    std::vector<ObjectRef*> speakers;
    for (const fakegame::SayCall& say : fakegame::Calls().says) speakers.push_back(say.speaker);
    std::vector<ObjectRef*> expected;
    if (c.dialogueOn) expected.push_back(SomeActor);
    if (c.documentsOn) expected.push_back(player.ref);
    expected.push_back(marker);
    EXPECT_EQ(speakers, expected);
    const std::vector<std::string> log = Log();
    EXPECT_EQ(std::count(log.begin() + logBefore, log.end(), "EVENT::Trying to speak: A page of the book."),
              c.documentsOn ? 1 : 0);
    Stop();
  }
  game_.SetPlayer(nullptr);
}

// A page waits for the speak key when documents do not start by themselves,
// while dialogue lines are spoken at once.
TEST_F(Worker, APageWaitsForTheSpeakKeyWhileDialogueSpeaksAtOnce) {
  fakegame::Actor player = game_.MakeNpc("Indoril Veth", false, "Imperial");
  game_.SetPlayer(&player);
  Settings.DocVoiceAsDlg = 1;
  VoiceDoc.enabled = 1;
  VoiceDoc.autoSpeak = 0;
  fakegame::Calls().says.clear();
  Start();
  PostSpeakRequest(&VoiceFemaleDlg, SomeActor, "Spoken at once.");
  ASSERT_TRUE(WaitFor([] { return fakegame::Calls().says.size() == 1; }, 5000));
  ClearCapturedText();
  AppendCapturedText("A page to wait.", "");
  SpeakCapturedText();
  ASSERT_TRUE(WaitFor([this] { return HasLine("EVENT::Trying to speak: A page to wait."); }, 5000));
  EXPECT_EQ(SpeakLoop.pendingChannel, &VoiceMaleDlg);
  EXPECT_EQ(SpokenSinceStart(), 1);
  ASSERT_TRUE(PressUntil(SpeakKey, [] { return fakegame::Calls().says.size() == 2; }));
  EXPECT_EQ(fakegame::Calls().says[1].speaker, player.ref);
  EXPECT_EQ(sapistandin::ReadString("LastPlain"), "A page to wait.");
  game_.SetPlayer(nullptr);
}

// A line that brings its speaker's race step is rendered with it in the
// pitch tag; the next line without one has the channel's own pitch again.
TEST_F(Worker, ALinesOwnPitchReplacesTheConfiguredOne) {
  lstrcpyA(VoiceFemaleDlg.voiceConfig, "<pitch absmiddle=\"-2\"><rate absspeed=\"0\"><volume level=\"100\">");
  Start();
  PostSpeakRequest(&VoiceFemaleDlg, SomeActor, "Raised.", 3);
  ASSERT_TRUE(WaitFor([this] { return SpokenSinceStart() == 1; }, 5000));
  EXPECT_EQ(sapistandin::ReadNumber("LastPitch"), 3);
  PostSpeakRequest(&VoiceFemaleDlg, SomeActor, "Plain.");
  ASSERT_TRUE(WaitFor([this] { return SpokenSinceStart() == 2; }, 5000));
  EXPECT_EQ(sapistandin::ReadNumber("LastPitch"), -2);
}

// A poster that only fills the channel and posts wParam still works.
TEST_F(Worker, ARequestWithOnlyTheChannelSpeaksTheChannelsText) {
  Start();
  SetChannelText(&VoiceFemaleDlg, "From the #channel.");
  VoiceFemaleDlg.speaker = SomeActor;
  PostThreadMessageA(WorkerThreadId, WM_SPEAK_REQUEST, reinterpret_cast<WPARAM>(&VoiceFemaleDlg), 0);
  ASSERT_TRUE(WaitFor([this] { return SpokenSinceStart() == 1; }, 5000));
  EXPECT_EQ(sapistandin::ReadString("LastPlain"), "From the channel.");
}

// The lexicon respells what the voice gets, a line of the dialogue and a
// page alike, while the log keeps the game's words; the game's '&' and '>'
// reach a voice whose configuration is markup escaped, so SAPI takes the line.
TEST_F(Worker, LinesAndPagesReachTheVoiceThroughTheLexicon) {
  dir_.Write("Lexicon.txt", "Vivec = VIH-vek\r\nSeyda Neen = SAY-dah NEEN\r\n");
  LoadSpeechLexicon((dir_ / "Lexicon.txt").c_str());
  lstrcpyA(VoiceFemaleDlg.voiceConfig, "<pitch absmiddle=\"0\"><rate absspeed=\"0\"><volume level=\"100\">");
  fakegame::Actor player = game_.MakeNpc("Indoril Veth", false, "Imperial");
  game_.SetPlayer(&player);
  Settings.DocVoiceAsDlg = 1;
  VoiceDoc.enabled = 1;
  VoiceDoc.autoSpeak = 1;
  Start();
  PostSpeakRequest(&VoiceFemaleDlg, SomeActor, "Vivec & #Seyda\r\nNeen@ > all.");
  ASSERT_TRUE(WaitFor([this] { return SpokenSinceStart() == 1; }, 5000));
  EXPECT_EQ(sapistandin::ReadNumber("LastResult"), 0);
  EXPECT_EQ(sapistandin::ReadString("LastPlain"), "VIH-vek & SAY-dah NEEN > all.");
  EXPECT_TRUE(HasLine("EVENT::Trying to speak: Vivec & Seyda  Neen > all."));
  ClearCapturedText();
  AppendCapturedText("A page on Vivec.", "");
  SpeakCapturedText();  // the male dialogue voice, without configuration
  ASSERT_TRUE(WaitFor([this] { return SpokenSinceStart() == 2; }, 5000));
  EXPECT_EQ(sapistandin::ReadString("LastText"), "A page on VIH-vek.");
  EXPECT_TRUE(HasLine("EVENT::Trying to speak: A page on Vivec."));
  game_.SetPlayer(nullptr);
}

// The host's exit event while the worker runs: the worker releases its own
// voices between rounds; later requests find no voice and are not played.
TEST_F(Worker, HostReleaseIsDoneByTheWorkerBetweenRounds) {
  Start();
  PostSpeakRequest(&VoiceMaleDlg, SomeActor, "Before the exit.");
  ASSERT_TRUE(WaitFor([this] { return SpokenSinceStart() == 1; }, 5000));
  // The worker held still: the host's call only asks, it releases nothing
  // itself (the worker could be inside Speak).
  ASSERT_NE(SuspendThread(WorkerThread), static_cast<DWORD>(-1));
  ReleaseVoicesFromHost();
  EXPECT_NE(VoiceMaleDlg.voice.voice, nullptr);
  ResumeThread(WorkerThread);
  ASSERT_TRUE(WaitFor([] { return VoiceMaleDlg.voice.voice == nullptr && VoiceFemaleDlg.voice.memoryStream == nullptr; },
                      3000));
  EXPECT_EQ(WaitForSingleObject(WorkerThread, 0), static_cast<DWORD>(WAIT_TIMEOUT));
  PostSpeakRequest(&VoiceMaleDlg, SomeActor, "After the exit.");
  ASSERT_TRUE(WaitFor([this] { return HasLine("EVENT::Trying to speak: After the exit."); }, 5000));
  EXPECT_TRUE(WaitFor([] { return SpeakLoop.speechActive == 0; }, 3000));
  EXPECT_EQ(SpokenSinceStart(), 1);
  ReleaseVoices();  // a second release: nothing left to release
}

// The host's exit event before the worker has a queue (while it is still
// setting up its voices): the wake-up goes nowhere, and the worker releases
// its voices anyway before it waits for its first message.
TEST_F(Worker, HostReleaseBeforeTheWorkersQueueIsNotLost) {
  WorkerThreadId = 0;  // no queue to post to yet
  RequestVoiceRelease();
  ASSERT_TRUE(StartWorker());
  ASSERT_TRUE(WaitFor([this] { return HasLine("WRKTHREAD::Entering message loop."); }, 10000));
  EXPECT_TRUE(WaitFor([] { return VoiceMaleDlg.voice.voice == nullptr && VoiceFemaleDlg.voice.voice == nullptr; },
                      3000));
}

TEST(SpeakLoop, IdsOutsideTheRangeStayQueuedAndTheOthersAreConsumed) {
  Settings = PluginDefaults();
  const DWORD self = GetCurrentThreadId();
  MSG m;
  PeekMessageA(&m, nullptr, 0, 0, PM_NOREMOVE);
  PostThreadMessageA(self, WM_NULL, 0, 0);  // before the loop, outside its range: stays
  for (UINT id = WM_USER + 1; id <= WM_USER + 8; ++id) PostThreadMessageA(self, id, 0, 0);
  PostThreadMessageA(self, WM_USER + 10, 0, 0);
  PostThreadMessageA(self, WM_APP, 0, 0);
  PostThreadMessageA(self, WM_WORKER_QUIT, 0, 0);
  SpeakLoop.speechActive = 0;
  RunSpeakLoop(VoicePlayback);
  EXPECT_FALSE(PeekMessageA(&m, nullptr, WM_USER, WM_USER + 9, PM_REMOVE));
  ASSERT_TRUE(PeekMessageA(&m, nullptr, WM_NULL, WM_NULL, PM_REMOVE));
  ASSERT_TRUE(PeekMessageA(&m, nullptr, WM_USER + 10, WM_USER + 10, PM_REMOVE));
  ASSERT_TRUE(PeekMessageA(&m, nullptr, WM_APP, WM_APP, PM_REMOVE));
}

// Runs the loop on this thread over what `post` queued (a quit follows it),
// with a male voice channel that has no voice behind it: each request is
// only logged.  Gives the log's lines.
std::vector<std::string> RunLoopHere(const char* name, const std::function<void()>& post) {
  testsupport::ScratchDir dir(name);
  lstrcpynA(LogFilePath, (dir / "ModuleLoader.log").c_str(), sizeof LogFilePath);
  Settings = PluginDefaults();
  std::memset(&VoiceMaleDlg, 0, sizeof VoiceMaleDlg);
  VoiceMaleDlg.enabled = 1;
  VoiceMaleDlg.autoSpeak = 1;  // Speak fails without a voice, and the loop stays idle
  const DWORD savedWorker = WorkerThreadId;
  WorkerThreadId = GetCurrentThreadId();
  MSG m;
  while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) {
  }
  post();
  PostThreadMessageA(WorkerThreadId, WM_WORKER_QUIT, 0, 0);
  SpeakLoop.speechActive = 0;
  RunSpeakLoop(VoicePlayback);
  WorkerThreadId = savedWorker;
  std::vector<std::string> log = WrittenLog(dir / "ModuleLoader.log");
  LogFilePath[0] = 0;
  HeapFree(GetProcessHeap(), 0, VoiceMaleDlg.text);
  VoiceMaleDlg.text = nullptr;
  return log;
}

// A request queued while the voices were being set up (COM gives the thread
// its queue early) is the first message the loop finds: it is handled, not
// swallowed by the loop's first look at the queue.
TEST(SpeakLoop, ARequestQueuedBeforeTheLoopIsHandled) {
  const auto log = RunLoopHere("speak-loop-early",
                               [] { ASSERT_TRUE(PostSpeakRequest(&VoiceMaleDlg, SomeActor, "Queued early.")); });
  EXPECT_EQ(log, std::vector<std::string>{"EVENT::Trying to speak: Queued early."});
}

// A WM_SPEAK_REQUEST whose wParam is not one of the four channels is not
// ours: nothing is read through it, and its lParam is not freed (a heap
// block of someone else's here, which must survive).
TEST(SpeakLoop, ARequestForAnUnknownChannelIsLeftAlone) {
  testsupport::ScratchDir dir("speak-loop-foreign");
  lstrcpynA(LogFilePath, (dir / "ModuleLoader.log").c_str(), sizeof LogFilePath);
  Settings = PluginDefaults();
  MSG m;
  while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) {
  }
  HANDLE heap = GetProcessHeap();
  void* theirs = HeapAlloc(heap, 0, 16);
  const DWORD self = GetCurrentThreadId();
  PostThreadMessageA(self, WM_SPEAK_REQUEST, 0x1234, reinterpret_cast<LPARAM>(theirs));
  PostThreadMessageA(self, WM_WORKER_QUIT, 0, 0);
  SpeakLoop.speechActive = 0;
  RunSpeakLoop(VoicePlayback);
  EXPECT_TRUE(WrittenLog(dir / "ModuleLoader.log").empty());
  EXPECT_EQ(HeapSize(heap, 0, theirs), static_cast<SIZE_T>(16));  // still allocated
  HeapFree(heap, 0, theirs);
  LogFilePath[0] = 0;
}

// Leaving menu mode discards what was posted before: only the later line is
// taken.
TEST(SpeakLoop, ARequestPostedBeforeADiscardIsDropped) {
  const auto log = RunLoopHere("speak-loop-discard", [] {
    ASSERT_TRUE(PostSpeakRequest(&VoiceMaleDlg, SomeActor, "Before the exit."));
    DiscardWaitingSpeech();
    ASSERT_TRUE(PostSpeakRequest(&VoiceMaleDlg, SomeActor, "After the exit."));
  });
  EXPECT_EQ(log, std::vector<std::string>{"EVENT::Trying to speak: After the exit."});
}

TEST(KeyChordDown, EveryNonZeroByteMustBeDown) {
  EXPECT_TRUE(KeyChordDown(0));
  EXPECT_FALSE(KeyChordDown(VK_F11));
  PressKey(VK_F11, true);
  EXPECT_TRUE(WaitFor([] { return KeyChordDown(VK_F11); }, 5000));
  EXPECT_TRUE(KeyChordDown(VK_F11 << 16));  // empty slots skipped
  EXPECT_FALSE(KeyChordDown(VK_F11 | (VK_F12 << 8)));
  PressKey(VK_F12, true);
  EXPECT_TRUE(WaitFor([] { return KeyChordDown(VK_F11 | (VK_F12 << 8)); }, 5000));
  PressKey(VK_F12, false);
  PressKey(VK_F11, false);
  EXPECT_TRUE(WaitFor([] { return !KeyChordDown(VK_F11) && !KeyChordDown(VK_F12); }, 5000));
}

}  // namespace
