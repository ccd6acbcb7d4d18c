// The configurator's Lexicon.txt: the entries as a list, edited, written back
// with every other line and the order as they were; the default lexicon;
// LISTEN through the lexicon.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "configurator/lexicon_file.h"
#include "configurator/voice_test.h"
#include "plugin/frame/plugin_state.h"
#include "plugin/speech/lexicon_speech.h"
#include "sapi_standin_control.h"
#include "support/test_support.h"

using namespace testsupport;

namespace {

using Pair = std::pair<std::string, std::string>;

std::vector<Pair> Entries(const LexiconFile& file) {
  std::vector<Pair> out;
  for (size_t i : LexiconEntryLines(file)) out.push_back({file.lines[i].written, file.lines[i].spoken});
  return out;
}

// Comments, blank lines, lines that are not entries, two kinds of line end,
// an entry with a comment, no line end at the last line.
const std::string Handmade =
    "\xEF\xBB\xBF; my names\r\n"
    "Vivec = VIH-vek ; the god\r\n"
    "\r\n"
    "not an entry\n"
    "Seyda   Neen=SAY-dah NEEN\r\n"
    "  ; indented comment\r\n"
    "Balmora = bal-MOR-ah";

TEST(LexiconFile, ReadAndWrittenBackByteForByte) {
  for (const std::string& bytes :
       {Handmade, Handmade.substr(3), std::string("Vivec = VIH-vek\n\n\n"), std::string("\r\r\n"), std::string()}) {
    const LexiconFile file = ParseLexiconFile(bytes);
    EXPECT_EQ(SerializeLexiconFile(file), bytes.empty() ? "\xEF\xBB\xBF" : bytes) << bytes;
  }
  const LexiconFile file = ParseLexiconFile(Handmade);
  EXPECT_EQ(Entries(file), (std::vector<Pair>{{"Vivec", "VIH-vek"}, {"Seyda   Neen", "SAY-dah NEEN"},
                                              {"Balmora", "bal-MOR-ah"}}));
  EXPECT_EQ(LexiconEntryLines(file), (std::vector<size_t>{1, 4, 6}));
  EXPECT_EQ(file.lines[1].comment, "; the god");
  EXPECT_TRUE(file.bom);
  EXPECT_EQ(file.lineEnd, "\r\n");
}

TEST(LexiconFile, EditsKeepEveryOtherLineAndTheOrder) {
  LexiconFile file = ParseLexiconFile(Handmade);
  EXPECT_EQ(ChangeLexiconEntry(file, 1, " Vivec ", "VIV-ek").edit, LexiconEdit::Done);
  EXPECT_TRUE(RemoveLexiconEntry(file, 4));
  const LexiconEditResult added = AddLexiconEntry(file, "Ald'ruhn", "ALL-droon");
  EXPECT_EQ(added.edit, LexiconEdit::Done);
  EXPECT_EQ(SerializeLexiconFile(file),
            "\xEF\xBB\xBF; my names\r\n"
            "Vivec = VIV-ek ; the god\r\n"
            "\r\n"
            "not an entry\n"
            "  ; indented comment\r\n"
            "Balmora = bal-MOR-ah\r\n"
            "Ald'ruhn = ALL-droon\r\n");
  EXPECT_EQ(file.lines[added.line].written, "Ald'ruhn");
  // Removing the last line keeps the file without a final line end.
  LexiconFile cut = ParseLexiconFile(Handmade);
  EXPECT_TRUE(RemoveLexiconEntry(cut, 6));
  EXPECT_EQ(SerializeLexiconFile(cut), Handmade.substr(0, Handmade.find("  ; indented comment") + 20));
}

TEST(LexiconFile, WhatIsNotAnEntryIsRefused) {
  LexiconFile file = ParseLexiconFile(Handmade);
  const std::string before = SerializeLexiconFile(file);
  const struct {
    std::string written, spoken;
    LexiconEdit edit;
    LexiconFault fault;
  } cases[] = {
      {"", "x", LexiconEdit::NotAnEntry, LexiconFault::NoWrittenForm},
      {"Vvardenfell", "  ", LexiconEdit::NotAnEntry, LexiconFault::NoSpokenForm},
      {"a=b", "x", LexiconEdit::NotAnEntry, LexiconFault::ReservedCharacter},
      {"Vvardenfell", "x ; y", LexiconEdit::NotAnEntry, LexiconFault::ReservedCharacter},
      {"Vvardenfell", "<emph>x", LexiconEdit::NotAnEntry, LexiconFault::SpokenStartsMarkup},
      {std::string(200, 'a'), "x", LexiconEdit::NotAnEntry, LexiconFault::WrittenTooLong},
      {"VIVEC", "again", LexiconEdit::Repeated, LexiconFault::None},
      {"seyda neen", "again", LexiconEdit::Repeated, LexiconFault::None},
  };
  for (const auto& c : cases) {
    const LexiconEditResult r = AddLexiconEntry(file, c.written, c.spoken);
    EXPECT_EQ(r.edit, c.edit) << c.written;
    EXPECT_EQ(r.fault, c.fault) << c.written;
  }
  EXPECT_EQ(AddLexiconEntry(file, "VIVEC", "again").line, 1u);
  // A change may keep its own written form, not take another's.
  EXPECT_EQ(ChangeLexiconEntry(file, 1, "VIVEC", "VIV-ek").edit, LexiconEdit::Done);
  EXPECT_EQ(ChangeLexiconEntry(file, 1, "Balmora", "x").edit, LexiconEdit::Repeated);
  EXPECT_EQ(ChangeLexiconEntry(file, 3, "x", "y").edit, LexiconEdit::NoSuchEntry);  // not an entry
  EXPECT_EQ(ChangeLexiconEntry(file, 99, "x", "y").edit, LexiconEdit::NoSuchEntry);
  EXPECT_FALSE(RemoveLexiconEntry(file, 0));
  EXPECT_EQ(Entries(file).size(), 3u);
  EXPECT_NE(SerializeLexiconFile(file), before);  // only the accepted change
}

// The code page's own letters: kept in the encoding the file has.  A line
// with a character the code page cannot hold is no entry of the list, and is
// written back as it was.
TEST(LexiconFile, TheFilesEncodingIsKept) {
  char eacute[4] = {};
  BOOL lost = FALSE;
  if (WideCharToMultiByte(CP_ACP, 0, L"\u00e9", 1, eacute, 3, nullptr, &lost) != 1 || lost)
    GTEST_SKIP() << "the code page has no e acute";
  LexiconFile utf8 = ParseLexiconFile("Caf\xC3\xA9 = kah-FAY\n\xE4\xB8\x80 = one\n");
  EXPECT_TRUE(utf8.utf8);
  EXPECT_FALSE(utf8.bom);
  EXPECT_EQ(Entries(utf8), (std::vector<Pair>{{std::string("Caf") + eacute, "kah-FAY"}}));
  AddLexiconEntry(utf8, std::string("Fianc") + eacute, "fee-on-SAY");
  EXPECT_EQ(SerializeLexiconFile(utf8), "Caf\xC3\xA9 = kah-FAY\n\xE4\xB8\x80 = one\nFianc\xC3\xA9 = fee-on-SAY\n");

  LexiconFile ansi = ParseLexiconFile(std::string("Caf") + eacute + " = kah-FAY\r\n");
  EXPECT_FALSE(ansi.utf8);
  AddLexiconEntry(ansi, std::string("Fianc") + eacute, "fee-on-SAY");
  EXPECT_EQ(SerializeLexiconFile(ansi),
            std::string("Caf") + eacute + " = kah-FAY\r\nFianc" + eacute + " = fee-on-SAY\r\n");
}

TEST(LexiconFile, LoadAndSave) {
  ScratchDir dir("lexicon-file-save");
  const std::string path = dir / "Lexicon.txt";
  LexiconFile file;
  EXPECT_EQ(LoadLexiconFile(path, file), LexiconFileRead::Missing);
  EXPECT_TRUE(file.lines.empty());
  AddLexiconEntry(file, "Vivec", "VIH-vek");
  ASSERT_TRUE(SaveLexiconFile(path, file));
  EXPECT_EQ(ReadFile(path), "\xEF\xBB\xBFVivec = VIH-vek\r\n");  // a new file: UTF-8 with its mark
  dir.Write("Lexicon.txt", Handmade);
  ASSERT_EQ(LoadLexiconFile(path, file), LexiconFileRead::Read);
  ChangeLexiconEntry(file, 6, "Balmora", "bal-MORE-ah");
  ASSERT_TRUE(SaveLexiconFile(path, file));
  EXPECT_EQ(ReadFile(path), Handmade.substr(0, Handmade.rfind("bal-MOR-ah")) + "bal-MORE-ah");
  EXPECT_FALSE(FileExists(path + ".new"));

  // A file another program holds: the save fails and the file is as it was.
  HANDLE held = CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  AddLexiconEntry(file, "Ald'ruhn", "ALL-droon");
  EXPECT_FALSE(SaveLexiconFile(path, file));
  CloseHandle(held);
  EXPECT_EQ(ReadFile(path), Handmade.substr(0, Handmade.rfind("bal-MOR-ah")) + "bal-MORE-ah");
  EXPECT_FALSE(FileExists(path + ".new"));
}

TEST(DefaultLexicon, WrittenOnlyWhereThereIsNone) {
  ScratchDir dir("lexicon-default");
  const std::string folder = dir.path() + "\\";
  EXPECT_EQ(WriteDefaultLexicon(folder), DefaultLexiconResult::Written);
  EXPECT_EQ(ReadFile(folder + "Lexicon.txt"), std::string(DefaultLexicon, DefaultLexiconSize));
  dir.Write("Lexicon.txt", "Vivec = mine\r\n");
  EXPECT_EQ(WriteDefaultLexicon(folder), DefaultLexiconResult::Kept);
  EXPECT_EQ(ReadFile(folder + "Lexicon.txt"), "Vivec = mine\r\n");
  EXPECT_EQ(WriteDefaultLexicon(folder + "gone\\"), DefaultLexiconResult::NotWritten);
}

// At least 80 of the game's names, every line of it an entry or a comment,
// no written form twice; the names every player meets among them.
TEST(DefaultLexicon, EntriesOfTheGamesNames) {
  const LexiconFile file = ParseLexiconFile(std::string(DefaultLexicon, DefaultLexiconSize));
  EXPECT_TRUE(file.utf8);
  EXPECT_TRUE(file.bom);
  const std::vector<Pair> entries = Entries(file);
  EXPECT_GE(entries.size(), 80u);
  for (const LexiconFileLine& l : file.lines) {
    const LexiconLine parsed = ParseLexiconLine(l.raw.data(), l.raw.size());
    EXPECT_TRUE(l.entry || parsed.kind == LexiconLineKind::Blank || parsed.kind == LexiconLineKind::Comment) << l.raw;
  }
  LexiconFile copy;
  for (const Pair& e : entries) EXPECT_EQ(AddLexiconEntry(copy, e.first, e.second).edit, LexiconEdit::Done) << e.first;
  for (const char* name : {"Vvardenfell", "Balmora", "Seyda Neen", "Ald'ruhn", "Sadrith Mora", "Dagoth Ur", "Sotha Sil",
                           "Almalexia", "Vivec", "Nerevar", "Dunmer", "Altmer", "Bosmer", "Khajiit", "n'wah", "s'wit",
                           "muthsera", "guar", "kwama", "netch", "Telvanni", "Hlaalu", "Redoran", "Urshilaku",
                           "Ashlander"})
    EXPECT_TRUE(std::any_of(entries.begin(), entries.end(), [&](const Pair& e) { return e.first == name; })) << name;
  const FileLexicon lexicon(file);
  EXPECT_EQ(lexicon.get().Count(), entries.size());
  EXPECT_EQ(ThroughLexicon(lexicon.get(), "Dagoth Ur's n'wah met Vivec in Seyda Neen.", "", false),
            "Dah-goth Oor's nuh-wah met Vih-vek in Say-dah Neen.");
}

// The plug-in reads the configurator's file as the configurator reads it.
TEST(DefaultLexicon, ThePluginTakesEveryEntry) {
  ScratchDir dir("lexicon-default-plugin");
  ASSERT_EQ(WriteDefaultLexicon(dir.path() + "\\"), DefaultLexiconResult::Written);
  lstrcpynA(LogFilePath, (dir / "ModuleLoader.log").c_str(), sizeof LogFilePath);
  LoadSpeechLexicon((dir / "Lexicon.txt").c_str());
  const LexiconFile file = ParseLexiconFile(std::string(DefaultLexicon, DefaultLexiconSize));
  EXPECT_EQ(SpeechLexicon.Count(), LexiconEntryLines(file).size());
  EXPECT_EQ(LogValues(dir / "ModuleLoader.log"),
            std::vector<std::string>{"DLLMAIN::Lexicon.txt read, entries: " +
                                     std::to_string(LexiconEntryLines(file).size()) + "."});
  ReleaseSpeechLexicon();
  LogFilePath[0] = 0;
}

TEST(ThroughLexicon, EscapedAsTheVoiceParsesIt) {
  const LexiconFile file = ParseLexiconFile("Vivec = Vih-vek & co\r\nBalmora = Bal-more-ah\r\n");
  const FileLexicon lexicon(file);
  const Lexicon& l = lexicon.get();
  const std::string config = "<pitch absmiddle=\"0\">";
  const struct {
    std::string text, config;
    bool markup;
    std::string out;
  } cases[] = {
      {"Vivec & Balmora", "", false, "Vih-vek & co & Bal-more-ah"},
      {"Vivec & Balmora", config, false, "Vih-vek &amp; co &amp; Bal-more-ah"},
      {"<emph>Vivec</emph> &amp; Balmora", config, true, "<emph>Vih-vek &amp; co</emph> &amp; Bal-more-ah"},
      {"<emph>Vivec</emph>", "", true, "<emph>Vih-vek &amp; co</emph>"},
      {"Plain <Vivec>", "", true, "Plain <Vih-vek & co>"},
  };
  for (const auto& c : cases) EXPECT_EQ(ThroughLexicon(l, c.text, c.config, c.markup), c.out) << c.text;
}

// LISTEN for an entry: the written form through the lexicon, with the voice
// the TESTING page would use, and SAPI takes it.
TEST(ThroughLexicon, ListenSpeaksTheRespelling) {
  ASSERT_TRUE(sapistandin::Register(RuntimeDir() + "\\" + sapistandin::DllName));
  sapistandin::SetVoices({"Quorrim Alto"});
  ConfiguratorSettings s = ConfiguratorDefaults("Sethrim.exe");
  s.voices[VoiceMale].name = "Quorrim Alto";
  s.voices[VoiceMale].config = "<pitch absmiddle=\"0\"><rate absspeed=\"0\"><volume level=\"100\">";
  const FileLexicon lexicon(ParseLexiconFile("Sotha Sil = So-thah Sill & co\r\n"));
  SpeechVoice voice{};
  TestSound sound;  // no device: spoken aloud
  HearTestVoice(voice, sound, s, TestMale, 0, "Sotha Sil", &lexicon.get(), false);
  EXPECT_EQ(sapistandin::ReadNumber("LastResult"), 0);
  EXPECT_EQ(sapistandin::ReadString("LastPlain"), "So-thah Sill & co");
  // Without a lexicon the TESTING page speaks the memo as before.
  HearTestVoice(voice, sound, s, TestMale, 0, "Sotha Sil");
  EXPECT_EQ(sapistandin::ReadString("LastPlain"), "Sotha Sil");
  voice.Release();
}

}  // namespace
