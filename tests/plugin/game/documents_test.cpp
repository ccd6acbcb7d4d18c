// Books, notes and journal pages: lines collected while the game builds a
// page, spoken once when it is complete; the journal's repeat rule.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "plugin/game/fake_game.h"
#include "plugin/frame/plugin_state.h"
#include "plugin/frame/settings.h"
#include "plugin/game/captured_text.h"
#include "plugin/game/dialogue_capture.h"
#include "plugin/game/documents.h"
#include "plugin/game/game_offsets.h"
#include "plugin/game/game_state.h"
#include "plugin/speech/speak_request.h"
#include "plugin/speech/voice_channel.h"

using fakegame::Actor;

namespace {

struct Line {
  std::string text;
  bool endsParagraph;
};

// What the game's routines do while the wrappers run them: send these lines
// (each in a buffer of its own, with the bytes the game leaves behind the
// terminator) and pass these journal entries through the dialogue routine.
struct PageScript {
  std::vector<Line> lines;
  std::vector<std::string> entries;
  uint32_t args[5];
  uint32_t calls = 0;
  void (*inside)() = nullptr;  // a wrapper the game runs from inside this one
} script;
ActorMobile* journalOwner;

PageScript Page(std::vector<Line> lines, std::vector<std::string> entries = {}) {
  PageScript p;
  p.lines = std::move(lines);
  p.entries = std::move(entries);
  return p;
}

// A line as the game cut it out of "...<BR>..." (zero over the '<') or at a
// blank; behind a wrapped line a '>' stands one or two bytes past it.
std::string GameBuffer(const Line& l) {
  return l.text + (l.endsParagraph ? std::string("\0BR>next", 8) : std::string("\0>>xnext", 8));
}

void RunScript(uint32_t a1, uint32_t a2, uint32_t a3, uint32_t a4, uint32_t a5) {
  script.calls++;
  const uint32_t args[] = {a1, a2, a3, a4, a5};
  std::copy(args, args + 5, script.args);
  for (const Line& l : script.lines) {
    const std::string buffer = GameBuffer(l);
    AppendTextLine(buffer.data());
  }
  for (const std::string& e : script.entries) CaptureDialogueText(journalOwner, e.c_str());
  if (auto inside = script.inside) {
    script.inside = nullptr;
    inside();
  }
}
constexpr uint32_t Result = 0x5EED;
uint32_t __cdecl FakeBook(uint32_t a1) { return RunScript(a1, 0, 0, 0, 0), Result + 1; }
uint32_t __cdecl FakeDocument(uint32_t a1, uint32_t a2) { return RunScript(a1, a2, 0, 0, 0), Result + 2; }
uint32_t __cdecl FakeCallback(uint32_t a1, uint32_t a2, uint32_t a3, uint32_t a4, uint32_t a5) {
  return RunScript(a1, a2, a3, a4, a5), Result + 3;
}

void Jump(uint32_t offset, const void* to) {
  uint8_t* at = reinterpret_cast<uint8_t*>(GameBase + offset);
  at[0] = 0xE9;
  const int32_t rel = static_cast<int32_t>(static_cast<const uint8_t*>(to) - (at + 5));
  std::memcpy(at + 1, &rel, 4);
}

struct Posted {
  VoiceChannel* channel;
  ObjectRef* speaker;
  std::string text;
};
std::vector<Posted> TakePosted() {
  std::vector<Posted> posted;
  MSG msg;
  while (PeekMessageA(&msg, nullptr, WM_SPEAK_REQUEST, WM_SPEAK_REQUEST, PM_REMOVE)) {
    auto* request = reinterpret_cast<SpeakRequest*>(msg.lParam);
    posted.push_back({reinterpret_cast<VoiceChannel*>(msg.wParam), request->speaker, request->text});
    HeapFree(GetProcessHeap(), 0, request);
  }
  return posted;
}
std::vector<std::string> PostedTexts() {
  std::vector<std::string> texts;
  for (const Posted& p : TakePosted()) texts.push_back(p.text);
  return texts;
}

class Documents : public ::testing::Test {
 protected:
  Documents() {
    MSG msg;
    PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE);
    WorkerThreadId = GetCurrentThreadId();
    Settings = PluginDefaults();
    player = game.MakeNpc("Nerevarine", false, "Breton");
    game.SetPlayer(&player);
    journalOwner = player.mobile;
    Jump(game_offsets::OpenBook, reinterpret_cast<const void*>(&FakeBook));
    Jump(game_offsets::OpenDocument, reinterpret_cast<const void*>(&FakeDocument));
    for (uint32_t offset :
         {game_offsets::BookPageCallbackA, game_offsets::BookPageCallbackB, game_offsets::JournalPageCallback})
      Jump(offset, reinterpret_cast<const void*>(&FakeCallback));
    script = PageScript{};
    Journal.lastChecksum = 0;
    if (!CapturedText) CapturedText = static_cast<char*>(HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, 1024));
    ClearCapturedText();
    TakePosted();
  }
  ~Documents() override { WorkerThreadId = 0; }

  fakegame::Game game;
  Actor player;
};

// Each wrapper by name, as the game reaches it.
struct Wrapper {
  const char* name;
  uint32_t (*run)();
  uint32_t result;
  int args;
};
const Wrapper Wrappers[] = {
    {"book", [] { return CaptureAndSpeakBook(11); }, Result + 1, 1},
    {"document", [] { return CaptureAndSpeakDocument(11, 12); }, Result + 2, 2},
    {"page A", [] { return CaptureAndSpeakPageA(11, 12, 13, 14, 15); }, Result + 3, 5},
    {"page B", [] { return CaptureAndSpeakPageB(11, 12, 13, 14, 15); }, Result + 3, 5},
};

TEST_F(Documents, EachWrapperRunsTheGamesRoutineOnceAndHandsBackItsResult) {
  for (const Wrapper& w : Wrappers) {
    script = Page({{"A line.", true}});
    EXPECT_EQ(w.run(), w.result) << w.name;
    EXPECT_EQ(script.calls, 1u) << w.name;
    for (int i = 0; i < w.args; ++i) EXPECT_EQ(script.args[i], 11u + i) << w.name;
    const auto posted = TakePosted();
    ASSERT_EQ(posted.size(), 1u) << w.name;
    EXPECT_EQ(posted[0].text, "A line.. ");
    EXPECT_EQ(posted[0].speaker, player.ref);
    EXPECT_EQ(posted[0].channel, &VoiceMaleDlg);  // documents read by the player's dialogue voice
  }
  script = Page({{"An entry", false}});
  EXPECT_EQ(CaptureJournalPage(11, 12, 13, 14, 15), Result + 3);
  EXPECT_EQ(script.args[4], 15u);
}

TEST_F(Documents, APageWithoutLinesPostsNothing) {
  for (const Wrapper& w : Wrappers) {
    script = PageScript{};
    w.run();
    EXPECT_TRUE(TakePosted().empty()) << w.name;
  }
  CaptureJournalPage(1, 2, 3, 4, 5);
  EXPECT_TRUE(TakePosted().empty());
}

// A '>' exactly three bytes past the terminator ends a sentence; every other
// line is followed by two blanks.  Markup and the game's control marks go.
TEST_F(Documents, LinesJoinedByTheParagraphMark) {
  const struct {
    std::vector<Line> lines;
    const char* spoken;
  } cases[] = {
      {{{"Balmora stands on the Odai river,", false}, {"in the West Gash.", true}, {"Next", false}},
       "Balmora stands on the Odai river,  in the West Gash.. Next  "},
      {{{"<DIV ALIGN=\"CENTER\">The <FONT COLOR=\"red\">Title</FONT>", true}}, "The Title. "},
      {{{"@Vivec#\r\nCity", false}}, "Vivec  City  "},
      {{{"", true}, {"", false}}, ".   "},
  };
  for (const auto& c : cases) {
    script = Page(c.lines);
    CaptureAndSpeakBook(0);
    EXPECT_EQ(PostedTexts(), std::vector<std::string>{c.spoken});
  }
}

// The buffer grows line by line from its first block far beyond it, and the
// longest line and the one full of markup come through whole.
TEST_F(Documents, LongPagesAndLongLinesReachTheVoiceWhole) {
  std::string tenThousand;
  for (int i = 0; tenThousand.size() < 10000; ++i) tenThousand += "word" + std::to_string(i % 10) + " ";
  tenThousand.resize(10000);
  std::string markup, markupSpoken;
  for (int i = 0; i < 300; ++i) {
    markup += "<FONT FACE=\"Magic Cards\">x" + std::to_string(i) + "</FONT><BR@>#";
    markupSpoken += "x" + std::to_string(i);
  }
  std::vector<Line> many;
  std::string manySpoken;
  for (int i = 0; i < 600; ++i) {
    many.push_back({"Line " + std::to_string(i) + " of a very long page of the Annals.", i % 7 == 6});
    manySpoken += many.back().text + (i % 7 == 6 ? ". " : "  ");
  }
  const struct {
    const char* what;
    std::vector<Line> lines;
    std::string spoken;
  } cases[] = {
      {"10 000 characters", {{tenThousand, true}}, tenThousand + ". "},
      {"markup", {{markup, false}}, markupSpoken + "  "},
      {"600 lines", many, manySpoken},
  };
  for (const auto& c : cases) {
    script = Page(c.lines);
    CaptureAndSpeakDocument(0, 0);
    const auto texts = PostedTexts();
    ASSERT_EQ(texts.size(), 1u) << c.what;
    EXPECT_EQ(texts[0].size(), c.spoken.size()) << c.what;
    EXPECT_EQ(texts[0], c.spoken) << c.what;
  }
}

// Lines the game sends while no page is built are never spoken, and a page
// the game builds inside another is spoken once, with it.
TEST_F(Documents, NoLineIsSpokenTwice) {
  const std::string stray = GameBuffer({"Stray line", true});
  AppendTextLine(stray.data());
  script = Page({{"Page one", true}});
  CaptureAndSpeakBook(0);
  EXPECT_EQ(PostedTexts(), std::vector<std::string>{"Page one. "});
  AppendTextLine(stray.data());  // after the page: dropped by the next one
  script = Page({{"Page two", true}});
  script.inside = [] {
    script.lines = {{"Inside", false}};
    CaptureAndSpeakPageA(0, 0, 0, 0, 0);
  };
  CaptureAndSpeakBook(0);
  EXPECT_EQ(PostedTexts(), std::vector<std::string>{"Page two. Inside  "});
  script = PageScript{};
  CaptureAndSpeakBook(0);  // no lines: nothing left over to speak
  EXPECT_TRUE(TakePosted().empty());
  // A journal page inside a page is part of it, whatever was heard before.
  script = Page({{"Page three", true}});
  script.inside = [] {
    script.lines = {};
    script.entries = {"An entry"};
    CaptureJournalPage(0, 0, 0, 0, 0);
  };
  CaptureAndSpeakBook(0);
  EXPECT_EQ(PostedTexts(), std::vector<std::string>{"Page three. An entry.   "});
}

// Two entries whose words, swapped, make another text with the same sum.
const std::vector<std::string> PageA = {"Caius Cosades sent me to Balmora", "Fargoth lost his best ring"};
const std::vector<std::string> PageB = {PageA[1], PageA[0]};
const std::vector<std::string> NoPage = {};

TEST_F(Documents, JournalPagesAreSpokenUnlessJustHeard) {
  const std::string a = PageA[0] + ".   " + PageA[1] + ".   ";
  const std::string b = PageB[0] + ".   " + PageB[1] + ".   ";
  ASSERT_EQ(TextChecksum(a.data(), a.size()), TextChecksum(b.data(), b.size()));
  const struct {
    const char* what;
    int32_t always;
    std::vector<std::vector<std::string>> pages;
    std::vector<std::string> spoken;
  } cases[] = {
      {"same page twice", 0, {PageA, PageA}, {a}},
      {"empty in between", 0, {PageA, NoPage, PageA}, {a}},
      {"empty in between, always read", 1, {PageA, NoPage, PageA}, {a, a}},
      {"same checksum, other text", 0, {PageA, PageB, PageB, PageA}, {a, b, a}},
  };
  for (const auto& c : cases) {
    Settings.AlwReadOpenJnl = c.always;
    Journal.lastChecksum = 0;
    std::vector<std::string> spoken;
    for (const auto& page : c.pages) {
      script = Page({}, page);
      CaptureJournalPage(1, 2, 3, 4, 5);
      for (const std::string& t : PostedTexts()) spoken.push_back(t);
    }
    EXPECT_EQ(spoken, c.spoken) << c.what;
    EXPECT_EQ(Journal.lastChecksum, TextChecksum(a.data(), a.size())) << c.what;
  }
}


}  // namespace
