// The plug-in's Lexicon.txt: read in any of its encodings, what is not an
// entry named in the log, and the voice given the respelled text, escaped
// when its configuration makes SAPI parse markup.
#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

#include "plugin/frame/plugin_state.h"
#include "plugin/speech/lexicon_speech.h"
#include "speech/speech_voice.h"
#include "support/standin_environment.h"

using namespace testsupport;

namespace {

const auto* const environment = ::testing::AddGlobalTestEnvironment(new speechtest::StandInEnvironment);

// A voice set up as the worker sets up a channel's.
struct ChannelVoice {
  explicit ChannelVoice(const char* config) {
    std::memset(&voice, 0, sizeof voice);
    voice.Init(MemoryStream, 0);
    voice.SetAudioFormat(AudioFormat44kHz16BitMono);
    voice.SetConfig(config);
    voice.SelectVoice("Quorrim Alto");
  }
  ~ChannelVoice() { voice.Release(); }
  SpeechVoice voice;
};

const char Configuration[] = "<pitch absmiddle=\"0\"><rate absspeed=\"0\"><volume level=\"100\">";

// The bytes of a text in the system code page; empty when it has no place
// for one of its characters.
std::string InCodePage(const wchar_t* text) {
  char out[256] = {};
  BOOL lost = FALSE;
  const int n = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text, -1, out, sizeof out, nullptr, &lost);
  return n > 0 && !lost ? std::string(out) : std::string();
}

class PluginLexicon : public ::testing::Test {
 protected:
  PluginLexicon() : dir_("lexicon-" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name())) {}
  void SetUp() override {
    sapistandin::SetVoices({"Quorrim Alto"});
    lstrcpynA(LogFilePath, (dir_ / "ModuleLoader.log").c_str(), sizeof LogFilePath);
  }
  void TearDown() override {
    ReleaseSpeechLexicon();
    LogFilePath[0] = 0;
  }
  void Load(const std::string& bytes) {
    dir_.Write("Lexicon.txt", bytes);
    LoadSpeechLexicon((dir_ / "Lexicon.txt").c_str());
  }
  // What the voice was given and what it said of it.
  std::string Spoken(const std::string& text, const char* config = Configuration) {
    ChannelVoice v(config);
    EXPECT_EQ(SpeakThroughLexicon(v.voice, text.c_str()), 0);
    EXPECT_EQ(sapistandin::ReadNumber("LastResult"), 0) << sapistandin::ReadString("LastText");
    return sapistandin::ReadString("LastPlain");
  }
  std::vector<std::string> LexiconLog() {
    std::vector<std::string> lines;
    for (const std::string& l : LogValues(dir_ / "ModuleLoader.log"))
      if (l.find("Lexicon.txt") != std::string::npos) lines.push_back(l);
    return lines;
  }
  ScratchDir dir_;
};

TEST_F(PluginLexicon, NoFileMeansNoEntriesAndNothingInTheLog) {
  LoadSpeechLexicon((dir_ / "Lexicon.txt").c_str());
  EXPECT_EQ(SpeechLexicon.Count(), 0u);
  EXPECT_EQ(Spoken("Vivec & Seyda Neen"), "Vivec & Seyda Neen");
  EXPECT_EQ(LexiconLog(), std::vector<std::string>{});
}

// UTF-8 with its mark or without, or the code page's own bytes when the
// file is not UTF-8: the same entries in the game's code page.
TEST_F(PluginLexicon, ReadAsUtf8WithOrWithoutTheMarkOrInTheCodePage) {
  const std::string eacute = InCodePage(L"\u00e9");
  if (eacute.empty()) GTEST_SKIP() << "the code page has no e acute";
  const struct {
    const char* what;
    std::string file;
  } cases[] = {
      {"UTF-8", "Vivec = VIH-vek\r\nCaf\xC3\xA9 = kah-FAY ; \xE2\x80\x94 a word from afar\r\n"},
      {"UTF-8 with its mark", "\xEF\xBB\xBFVivec = VIH-vek\r\nCaf\xC3\xA9 = kah-FAY\r\n"},
      {"the code page", "Vivec = VIH-vek\r\nCaf" + eacute + " = kah-FAY ; " + eacute + "\r\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    Load(c.file);
    EXPECT_EQ(SpeechLexicon.Count(), 2u);
    EXPECT_EQ(Spoken("Vivec's caf" + eacute + "."), "VIH-vek's kah-FAY.");
    EXPECT_EQ(LexiconLog().back(), "DLLMAIN::Lexicon.txt read, entries: 2.");
  }
}

TEST_F(PluginLexicon, EveryLineThatIsNotAnEntryIsNamedOnceAndSkipped) {
  Load("; Names of the island\n"
       "\n"
       "Vivec = VIH-vek\n"
       "Balmora\n"
       " = nothing written\n"
       "Seyda Neen =\n"
       "Sadrith Mora = <emph>SAD-rith</emph>\n"
       "Dagoth\x01Ur = DAH-goth\n"
       "VIVEC = again\n"
       "Seyda Neen = SAY-dah NEEN\n");
  EXPECT_EQ(SpeechLexicon.Count(), 2u);
  EXPECT_EQ(Spoken("Vivec of Seyda Neen, Balmora, Sadrith Mora"), "VIH-vek of SAY-dah NEEN, Balmora, Sadrith Mora");
  const std::vector<std::string> expected = {
      "DLLMAIN::Lexicon.txt, line 4 is not an entry (no '='): Balmora",
      "DLLMAIN::Lexicon.txt, line 5 is not an entry (nothing before '='):  = nothing written",
      "DLLMAIN::Lexicon.txt, line 6 is not an entry (nothing after '='): Seyda Neen =",
      "DLLMAIN::Lexicon.txt, line 7 is not an entry (spoken form starts with '<'): Sadrith Mora = <emph>SAD-rith</emph>",
      "DLLMAIN::Lexicon.txt, line 8 is not an entry (control character): Dagoth?Ur = DAH-goth",
      "DLLMAIN::Lexicon.txt, line 9 repeats an earlier written form: VIVEC",
      "DLLMAIN::Lexicon.txt read, entries: 2.",
  };
  EXPECT_EQ(LexiconLog(), expected);
}

TEST_F(PluginLexicon, AFormTheCodePageCannotHoldIsNotAnEntry) {
  Load("Vivec = VIH-vek\nN\xE2\x80\xA6wah = \xE4\xB8\x80\n");  // a CJK character
  if (!InCodePage(L"\u4e00").empty()) GTEST_SKIP() << "the code page holds it";
  EXPECT_EQ(SpeechLexicon.Count(), 1u);
  ASSERT_EQ(LexiconLog().size(), 2u);
  EXPECT_EQ(LexiconLog()[0].rfind("DLLMAIN::Lexicon.txt, line 2 is not an entry (not in the game's code page): ", 0), 0u)
      << LexiconLog()[0];
}

// Whatever bytes the file holds, the plug-in reads what it can and goes on:
// a file of many megabytes of junk costs a few log lines, not the game.
TEST_F(PluginLexicon, EightMegabytesOfAnything) {
  std::string file = "\xEF\xBB\xBF; made by a careless tool\r\n";
  for (int i = 0; i < 3000; ++i) file += "Name" + std::to_string(i) + " = said " + std::to_string(i) + "\r\n";
  file += std::string(2 << 20, 'x') + " = a line of two megabytes\n";  // too long a form
  for (int i = 0; file.size() < (6u << 20); ++i) file += "not an entry " + std::to_string(i) + "\n";
  for (int b = 0; file.size() < (8u << 20); ++b) file += static_cast<char>(b * 37 % 256);  // and then any bytes
  file += "\nVivec = VIH-vek\n";
  Load(file);
  // Not UTF-8 any more: the bytes are taken as the code page, and the entries
  // before the junk and the last one work.
  EXPECT_GE(SpeechLexicon.Count(), 3001u);
  EXPECT_EQ(Spoken("Name0 met Name2999 and Vivec"), "said 0 met said 2999 and VIH-vek");
  const std::vector<std::string> log = LexiconLog();
  ASSERT_GE(log.size(), 3u);
  EXPECT_LE(log.size(), 23u);
  EXPECT_EQ(log[0].rfind("DLLMAIN::Lexicon.txt, line 3002 is not an entry (written form too long): xxx", 0), 0u) << log[0];
  const std::string more = "more lines are not entries.";
  const std::string& counted = log[log.size() - 2];
  EXPECT_TRUE(counted.size() > more.size() && counted.compare(counted.size() - more.size(), more.size(), more) == 0)
      << counted;
  EXPECT_EQ(log.back().rfind("DLLMAIN::Lexicon.txt read, entries: ", 0), 0u) << log.back();
}

TEST_F(PluginLexicon, AFileBeyondTheLimitIsReadUpToItsLastWholeLine) {
  std::string file = "Vivec = VIH-vek\n";
  while (file.size() < LexiconFileMax - 20) file += "; " + std::string(1000, '-') + "\n";
  file += "Balmora = bal-MOR-ah\n";  // across the limit
  Load(file);
  EXPECT_EQ(Spoken("Vivec of Balmora"), "VIH-vek of Balmora");
  const std::vector<std::string> log = LexiconLog();
  ASSERT_EQ(log.size(), 2u);
  EXPECT_EQ(log[0], "DLLMAIN::Lexicon.txt is larger than 16777216 bytes: only its beginning is read.");
  EXPECT_EQ(log[1], "DLLMAIN::Lexicon.txt read, entries: 1.");
}

// A voice whose configuration is markup gets every '&', '<' and '>' of the
// game's text and of the spoken forms as entities, so SAPI never refuses the
// line; a voice without configuration gets the characters themselves.
TEST_F(PluginLexicon, TheTextIsEscapedForAVoiceThatParsesMarkup) {
  Load("Vivec = VIH-vek & co > all\nSeyda Neen = SAY-dah NEEN\n");
  const std::string text = "Vivec & Seyda Neen > Balmora";
  const std::string said = "VIH-vek & co > all & SAY-dah NEEN > Balmora";
  EXPECT_EQ(Spoken(text), said);
  EXPECT_EQ(sapistandin::ReadString("LastText"),
            std::string(Configuration) + "VIH-vek &amp; co &gt; all &amp; SAY-dah NEEN &gt; Balmora");
  EXPECT_EQ(Spoken(text, ""), said);
  EXPECT_EQ(sapistandin::ReadString("LastText"), said);
  // Blanks before the markup change nothing: it is still parsed.
  EXPECT_EQ(Spoken(text, " <volume level=\"50\">"), " " + said);
  EXPECT_EQ(sapistandin::ReadString("LastText"), " <volume level=\"50\">VIH-vek &amp; co &gt; all &amp; SAY-dah NEEN &gt; Balmora");
}

}  // namespace
