// Books, notes and the journal in the game double, as real x86: the player's
// actions reach the game's call places, the game's routines lay out their
// pages through the line routine's call places, and the page comes out as
// one speak request.  The hooks are installed by the program's environment
// (hook_exec_test.cpp).
#include <gtest/gtest.h>

#include <windows.h>
#include <mmsystem.h>
#include <dsound.h>

#include <cstring>
#include <string>
#include <vector>

#include "game/documents_double.h"
#include "game/game_double.h"
#include "plugin/frame/plugin_state.h"
#include "plugin/frame/settings.h"
#include "plugin/game/game_state.h"
#include "plugin/speech/speak_request.h"
#include "plugin/speech/speaker_buffer_table.h"
#include "plugin/game/voice_playback.h"
#include "support/raw_memory.h"

namespace gd = game_double;

namespace {

using rawmemory::Addr;

std::vector<std::string> Posted() {
  std::vector<std::string> texts;
  MSG msg;
  while (PeekMessageA(&msg, nullptr, WM_SPEAK_REQUEST, WM_SPEAK_REQUEST, PM_REMOVE)) {
    auto* request = reinterpret_cast<SpeakRequest*>(msg.lParam);
    texts.push_back(request->text);
    HeapFree(GetProcessHeap(), 0, request);
  }
  return texts;
}

const char* const* const Book = gd::SceneBook;
const char* const Note = gd::SceneNote;
const char* const* const SceneJournal = gd::SceneJournal;

// The places the player's actions reach, each with the game's own bytes
// for the reference run.
const uint32_t DocumentPlaces[] = {0x0A2A15, 0x1AD9AF, 0x1ADAB3, 0x1AC36B, 0x1ABE9C, 0x1AC358, 0x1ABCBF,
                                   0x2138FB, 0x21375E, 0x21378C, 0x1D644E, 0x1D6377, 0x00BE32, 0x1AD630};

class GameBytes {
 public:
  GameBytes() {
    for (uint32_t offset : DocumentPlaces) {
      const gd::PlaceBytes* place = gd::FindPlace(offset);
      Saved s{offset, {}, place->size};
      std::memcpy(s.bytes, gd::At(offset), place->size);
      saved_.push_back(s);
      gd::PokeImage(offset, place->bytes, place->size);
    }
  }
  ~GameBytes() {
    for (const Saved& s : saved_) gd::PokeImage(s.offset, s.bytes, s.size);
  }

 private:
  struct Saved {
    uint32_t offset;
    uint8_t bytes[16];
    uint32_t size;
  };
  std::vector<Saved> saved_;
};

class TextWindows : public ::testing::Test {
 protected:
  void SetUp() override {
    MSG msg;
    PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE);
    WorkerThreadId = GetCurrentThreadId();
    // The player's record, so that its journal entries are known as its own.
    uint8_t* player = gd::Objects().playerRef;
    std::memcpy(playerRecord + 0x18, &player, 4);
    uint8_t* record = playerRecord;
    std::memcpy(player + 0x28, &record, 4);
    gd::SetPlayerPresent(true);
    Journal.lastChecksum = 0;
    Settings.AlwReadOpenJnl = 0;
    Posted();
    gd::ClearLinesSent();
  }
  void TearDown() override {
    WorkerThreadId = 0;
    Settings = PluginDefaults();
    Settings.VoiceFxByRace = 1;
  }
  static inline uint8_t playerRecord[0x80] = {};
};

// What the game's line routine receives is the same with the hooks in, and
// the book's page comes out whole: title and paragraph end with ". ", the
// wrapped line with two blanks.
TEST_F(TextWindows, BookPagesAreReadAsTheGameLaysThemOut) {
  std::vector<std::string> gameLines;
  uint32_t gameResult;
  {
    GameBytes unpatched;
    gameResult = gd::PlayerOpensBook(Book, 2);
    gd::PlayerTurnsPage(true);
    gameLines = gd::LinesSent();
  }
  EXPECT_TRUE(Posted().empty());
  const std::vector<std::string> expectedLines = {
      "<DIV ALIGN=\"CENTER\">A Short History of Balmora", "Balmora stands on the Odai river, in the",
      "heart of the West Gash.", "Its great houses keep their halls here."};
  EXPECT_EQ(gameLines, expectedLines);
  EXPECT_EQ(gameResult, gd::RoutineResult(gd::OpenBook));

  gd::ClearLinesSent();
  EXPECT_EQ(gd::PlayerOpensBook(Book, 2), gameResult);  // the routine's result reaches the game
  EXPECT_EQ(Posted(), std::vector<std::string>{
                          "A Short History of Balmora. Balmora stands on the Odai river, in the  heart of the West "
                          "Gash.. "});
  EXPECT_EQ(gd::PlayerTurnsPage(true), gd::RoutineResult(gd::BookPageCallbackA));
  EXPECT_EQ(Posted(), std::vector<std::string>{"Its great houses keep their halls here.  "});
  EXPECT_EQ(gd::PlayerTurnsPage(false), gd::RoutineResult(gd::BookPageCallbackB));
  EXPECT_EQ(Posted().size(), 1u);  // back on the first page
  EXPECT_EQ(gd::LinesSent(), (std::vector<std::string>{expectedLines[0], expectedLines[1], expectedLines[2],
                                                       expectedLines[3], expectedLines[0], expectedLines[1],
                                                       expectedLines[2]}));
}

TEST_F(TextWindows, NotesAreReadThroughTheDocumentPlaces) {
  uint32_t gameResult;
  {
    GameBytes unpatched;
    gameResult = gd::PlayerOpensNote(Note);
  }
  EXPECT_EQ(gd::LinesSent(), (std::vector<std::string>{"Meet me at the silt strider port at", "dawn.", "F."}));
  EXPECT_EQ(gd::PlayerOpensNote(Note), gameResult);
  EXPECT_EQ(Posted(), std::vector<std::string>{"Meet me at the silt strider port at  dawn.. F.  "});
}

// Entries come through the dialogue routine's call site; a page heard is
// not read again, the same words in another order are.
TEST_F(TextWindows, JournalPagesThroughTheRegisteredCallback) {
  const char* const reordered[] = {SceneJournal[1], SceneJournal[0]};
  const std::string a = std::string(SceneJournal[0]) + ".   " + SceneJournal[1] + ".   ";
  const std::string b = std::string(SceneJournal[1]) + ".   " + SceneJournal[0] + ".   ";
  EXPECT_EQ(gd::PlayerOpensJournal(SceneJournal, 2), gd::RoutineResult(gd::JournalPageCallback));
  EXPECT_EQ(Posted(), std::vector<std::string>{a});
  gd::PlayerOpensJournal(SceneJournal, 2);
  EXPECT_TRUE(Posted().empty());
  gd::PlayerOpensJournal(reordered, 2);
  EXPECT_EQ(Posted(), std::vector<std::string>{b});
  EXPECT_EQ(gd::LastCall(gd::DialogueText).args[5], Addr(SceneJournal[0]));  // the game's routine still got its text
}

// The open/close routine stops the reading only when so set and only while
// the window's flag is up.
TEST_F(TextWindows, ClosingTheTextWindowStopsTheReadingWhenAsked) {
  IDirectSound8* sound = nullptr;
  ASSERT_EQ(DirectSoundCreate8(nullptr, &sound, nullptr), DS_OK) << "no audio device";
  sound->SetCooperativeLevel(GetDesktopWindow(), DSSCL_PRIORITY);
  WAVEFORMATEX f{WAVE_FORMAT_PCM, 1, 44100, 88200, 2, 16, 0};
  DSBUFFERDESC d{sizeof d, DSBCAPS_CTRLFREQUENCY | DSBCAPS_CTRLVOLUME, 88200, 0, &f, {}};
  const struct {
    int32_t stopOnClose;
    uint32_t flag;
    bool stops;
  } cases[] = {{0, 0, false}, {0, 1, false}, {1, 0, false}, {1, 1, true}};
  for (const auto& c : cases) {
    IDirectSoundBuffer* reading = nullptr;
    ASSERT_EQ(sound->CreateSoundBuffer(&d, &reading, nullptr), DS_OK);
    reading->Play(0, 0, DSBPLAY_LOOPING);
    EnterSpeakerBuffer(reinterpret_cast<ObjectRef*>(gd::Objects().playerRef), reading);
    Settings.StopSpkOnClose = c.stopOnClose;
    *gd::At<uint32_t>(0x3D2B10) = c.flag;
    *gd::At<uint32_t>(0x3D2B14) = 0x7E47;
    gd::Cpu in{}, out{};
    alignas(16) static uint32_t stack[256];
    in.eflags = 0x202;
    in.esp = Addr(&stack[128]);
    gd::RunPlace(gd::Base() + 0x1AD630, in, out);
    EXPECT_EQ(out.ecx, 0x7E47u);
    EXPECT_EQ(BufferPlaying(reading), !c.stops) << "StopSpkOnClose=" << c.stopOnClose << " flag=" << c.flag;
    StopAllSpeech();
    reading->Release();
  }
  *gd::At<uint32_t>(0x3D2B10) = 0;
  *gd::At<uint32_t>(0x3D2B14) = 0;
  sound->Release();
}

}  // namespace
