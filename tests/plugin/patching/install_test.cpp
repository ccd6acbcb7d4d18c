// Installation at attach, seen from the game double: the log, the bytes at
// every place afterwards, and the refusal when a place is not the game's.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "support/test_support.h"

using namespace testsupport;

namespace {

const std::vector<std::string> HookLines = {
    "DLLMAIN::Setting hook on checking 'MouseLookDisabled' flag.",
    "DLLMAIN::Setting hook on camera`s vertical delta writing.",
    "DLLMAIN::Setting hook on camera`s horizontal delta writing.",
    "DLLMAIN::Setting hook on checking 'GoToJail'.",
    "DLLMAIN::Setting hook on dialogue begin.",
    "DLLMAIN::Setting hook on changing view mode.",
    "DLLMAIN::Setting hook on AI state check.",
    "DLLMAIN::Setting hook on NPC animation group change.",
    "DLLMAIN::Setting hook on head tracking of NPC.",
    "DLLMAIN::Setting hook for finishing journal page.",
    "DLLMAIN::Setting hook for opening documents.",
    "DLLMAIN::Setting hook on 'SendTextLine' for documents.",
    "DLLMAIN::Setting hook for opening books.",
    "DLLMAIN::Setting hook for parsing book lines (Hook 'SendTextLine').",
    "DLLMAIN::Setting hook for book page changing.",
    "DLLMAIN::Setting hook for DIALOGS and JOURNAL.",
    "DLLMAIN::Setting hook on exiting from menu mode.",
    "DLLMAIN::Setting hook for Menu mode animation freezing control.",
    "DLLMAIN::Setting hook for open_close any text document.",
    "DLLMAIN::Setting hook for getting last menu ID.",
    "DLLMAIN::Setting hook to loading voice file.",
    "DLLMAIN::Setting hook for pausing water riffles in menu mode.",
    "DLLMAIN::Setting hook for pausing active objects in menu mode.",
    "DLLMAIN::Setting hook for pausing shadows in menu mode.",
    "DLLMAIN::Setting hook for pausing compass in menu mode.",
    "DLLMAIN::Setting hook for allowing head tracking in menu mode.",
    "DLLMAIN::Setting hook for enabling exit from inventory with disabled controls.",
    "DLLMAIN::Setting hook for enabling hints in inventory when no an object focused.",
    "DLLMAIN::Setting hook to setting voice pitch.",
};

// Every place with what is written there: the opcode, the NOPs after it, and
// the game's bytes that stay (as hex, from the double's table).
struct Written {
  const char* offset;
  const char* opcode;
  int nops;
  const char* original;  // the place's first bytes in the game
};
const Written Places[] = {
    {"169264", "E8", 1, "8A85B205000084C00F85"}, {"169148", "E8", 1, "84C0895C24200F84A400"},
    {"169120", "E8", 2, "894C241C8B484C6A00E8"}, {"167F9D", "E8", 0, "E87E2600008BCFE817F3"},
    {"12935A", "E8", 2, "668B1542347D0052E8C9"}, {"143A17", "E8", 0, "E854EBFFFF8B4E38E8EC"},
    {"121D7D", "E8", 5, "8B88E4020000F6412408"}, {"12EB76", "E8", 0, "DFE0F6C4417411899EB0"},
    {"16F68B", "E8", 0, "E88002F0FF8B7F0485FF"}, {"1D644E", "68", 0, "6860725D00684480FFFF"},
    {"1D6377", "68", 0, "6860725D00684480FFFF"}, {"2138FB", "E8", 0, "E860F7FFFF83C4088BCE"},
    {"21375E", "E8", 0, "E87D54F7FF8BD868CF80"}, {"21378C", "E8", 0, "E84F54F7FF8BD88B4520"},
    {"0A2A15", "E8", 0, "E88698100083C4045D59"}, {"1AD9AF", "E8", 0, "E82CB2FDFF8BF068CF80"},
    {"1ADAB3", "E8", 0, "E828B1FDFF33C9668B0D"}, {"1AC36B", "68", 0, "6870C95A00683780FFFF"},
    {"1ABE9C", "68", 0, "6870C95A00683580FFFF"}, {"1AC358", "68", 0, "68C0C85A00683680FFFF"},
    {"1ABCBF", "68", 0, "68C0C85A00683580FFFF"}, {"00BE32", "E8", 0, "E8C9F6FFFF5F5EC22C00"},
    {"1951AB", "E8", 0, "E8A0020000"},           {"01B3AF", "E8", 1, "8A81D600000084C00F85"},
    {"1AD630", "E8", 1, "8B0D"},                 {"195244", "E8", 1, "8B91E40200006689423C"},
    {"08C369", "E8", 0, "E8425AF7FF568BE8E8BA"}, {"11C896", "E8", 1, "8A88D600000084C90F85"},
    {"00F68D", "E8", 1, "8A86D600000084C00F85"}, {"0388D0", "E8", 1, "8A88D6000000751384C9"},
    {"1EB7BC", "E8", 1, "8A88D600000083C40484"}, {"06F420", "E8", 1, "8A81D600000084C00F85"},
    {"194C1D", "E8", 1, "8A88B005000084C90F85"}, {"01B3D6", "E8", 0, "E875160000E870482200"},
    {"08C6B6", "E8", 0, "E8A563F7FFA1DC677C00"},
};

struct Game {
  explicit Game(const std::string& name, const std::string& settings = "") : dir(name) {
    dir.CopyFromRuntime("Morrowind.exe");
    dir.CopyFromRuntime("Vandrel.dll");
    dir.CopyFromRuntime("MLDRLib.dll");
    if (!settings.empty()) dir.Write("LirraCfg.ini", settings);
  }
  void Run(const std::string& args = "") {
    ASSERT_EQ(RunProgram("\"" + (dir / "Morrowind.exe") + "\" --report \"" + (dir / "report.txt") + "\" " + args,
                         dir.path()),
              0);
    report = ReadFile(dir / "report.txt");
    log = LogValues(dir / "ModuleLoader.log");  // complete: the game has ended
  }
  std::string Place(const std::string& offset) const { return ReportValue(report, "place." + offset); }
  std::vector<std::string> HookLog() const {
    std::vector<std::string> lines;
    for (const std::string& l : log)
      if (l.rfind("DLLMAIN::Setting hook", 0) == 0) lines.push_back(l);
    return lines;
  }
  int MessageBoxes() const {
    int n = 0;
    for (size_t at = report.find("messagebox.caption="); at != std::string::npos;
         at = report.find("messagebox.caption=", at + 1))
      ++n;
    return n;
  }
  ScratchDir dir;
  std::string report;
  std::vector<std::string> log;
};

void ExpectHooked(const Game& game, const Written& w) {
  const std::string bytes = game.Place(w.offset);
  SCOPED_TRACE(w.offset);
  EXPECT_EQ(bytes.substr(0, 2), w.opcode);
  std::string nops;
  for (int i = 0; i < w.nops; ++i) nops += "90";
  EXPECT_EQ(bytes.substr(10, nops.size()), nops);
  const std::string original = w.original;
  const size_t kept = 10 + 2 * w.nops;
  if (original.size() > kept) {
    EXPECT_EQ(bytes.substr(kept, original.size() - kept), original.substr(kept));
  }
}

// CR LF written as the double's report writes them.
std::string Escaped(const std::string& text) {
  std::string out;
  for (const char* p = text.c_str(); *p; ++p) {
    if (*p == '\r') out += "\\r";
    else if (*p == '\n') out += "\\n";
    else out += *p;
  }
  return out;
}

// The version message as the player must read it, the Russian one in the
// code page it is shown in (1251).
std::string InCodePage1251(const char* utf8) {
  wchar_t wide[512];
  const int n = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8, -1, wide, 512);
  char out[512];
  if (n <= 0 || WideCharToMultiByte(1251, 0, wide, -1, out, sizeof out, nullptr, nullptr) <= 0) return {};
  return out;
}

const std::string EnglishVersionMessage =
    "One of a signatures is differs.\r\nWrong version of 'Morrowind.exe'? (Need: 1.6.1820).\r\n"
    "CONTINUE IS IMPOSSIBLE!";
const std::string RussianVersionMessage = InCodePage1251(
    "Одна из сигнатур не совпадает.\r\nНе та версия 'Morrowind.exe'? (Нужна: 1.6.1820).\r\n"
    "ПРОДОЛЖЕНИЕ РАБОТЫ НЕВОЗМОЖНО!");

TEST(Install, AllHooksInOrderWithVoiceFxByRace) {
  Game game("install-all", "[BaseConfig]\r\nVoiceFxByRace=1\r\n");
  game.Run("--hold-ms 100");
  EXPECT_EQ(ReportValue(game.report, "load"), "ok");
  EXPECT_EQ(game.HookLog(), HookLines);
  EXPECT_EQ(game.MessageBoxes(), 0);
  for (const Written& w : Places) ExpectHooked(game, w);
  // The data places are compared only.
  EXPECT_EQ(game.Place("327692").substr(0, 4), "FF25");
  EXPECT_EQ(game.Place("327692").substr(12, 4), "FF25");
}

TEST(Install, WithoutVoiceFxByRaceThePitchHookIsLeftOut) {
  Game game("install-nofx", "[BaseConfig]\r\nVoiceFxByRace=0\r\n");
  game.Run("--hold-ms 100");
  EXPECT_EQ(ReportValue(game.report, "load"), "ok");
  std::vector<std::string> expected(HookLines.begin(), HookLines.end() - 1);
  EXPECT_EQ(game.HookLog(), expected);
  for (const Written& w : Places) {
    if (std::string(w.offset) == "08C6B6") {
      EXPECT_EQ(game.Place(w.offset).substr(0, 20), w.original);
    } else {
      ExpectHooked(game, w);
    }
  }
}

// A loader may call the exported entry point itself while the plug-in runs.
// A second attach changes nothing (no message, no hook undone, the channels
// left to the worker); a detach is the host's exit event, and the library
// can still be freed cleanly afterwards.
TEST(Install, TheExportedEntryCalledAgainChangesNothing) {
  Game game("install-reenter", "[BaseConfig]\r\nVoiceFxByRace=1\r\n");
  game.Run("--wait-log \"WRKTHREAD::Entering message loop.\" --reenter --free");
  EXPECT_EQ(ReportValue(game.report, "reenter.attach"), "1");
  EXPECT_EQ(ReportValue(game.report, "reenter.detach"), "1");
  EXPECT_EQ(ReportValue(game.report, "free"), "1");
  EXPECT_EQ(ReportValue(game.report, "done"), "1");
  EXPECT_EQ(game.MessageBoxes(), 0);
  EXPECT_EQ(game.HookLog(), HookLines);
  for (const Written& w : Places) ExpectHooked(game, w);
  int starts = 0;
  for (const std::string& l : game.log) starts += l == "Starting Quorrim...";
  EXPECT_EQ(starts, 1);
}

// The game's own bytes, as far as the signature fixes them.
void ExpectOriginal(Game& game, const Written& w) {
  const std::string original = w.original;
  EXPECT_EQ(game.Place(w.offset).substr(0, original.size()), original) << w.offset;
}

// Another version: one place differs.  Everything else is still tried and
// logged, then one message; the game's bytes are put back everywhere and the
// loader's LoadLibrary fails, so the library is unloaded and the loading
// thread goes on.
TEST(Install, DifferingSignatureRefusesAfterTryingEverything) {
  Game game("install-differs", "[BaseConfig]\r\nVoiceFxByRace=1\r\n");
  game.Run("--alter-place 169148");
  EXPECT_EQ(game.HookLog(), HookLines);
  EXPECT_EQ(game.Place("169148").substr(0, 4), "85C0");  // untouched, with the changed byte
  for (const Written& w : Places)
    if (std::string(w.offset) != "169148") {
      ExpectOriginal(game, w);
    }
  EXPECT_EQ(game.MessageBoxes(), 1);
  EXPECT_EQ(ReportValue(game.report, "messagebox.caption"), "Quorrim");
  EXPECT_EQ(ReportValue(game.report, "messagebox.text"), Escaped(EnglishVersionMessage));
  EXPECT_EQ(ReportValue(game.report, "messagebox.style"), "0x1010");
  EXPECT_EQ(ReportValue(game.report, "load"), "failed");
  EXPECT_EQ(ReportValue(game.report, "plugin.loaded"), "0");
  EXPECT_EQ(ReportValue(game.report, "threads.added"), "0");
  // The runtime's DETACH after the refusal finds nothing started to unload.
  EXPECT_EQ(std::count(game.log.begin(), game.log.end(), "Unloading..."), 0);
}

// A place another program patched first is not written over; the message
// comes in the language chosen.
TEST(Install, PlacePatchedByAnotherProgramIsLeftAlone) {
  Game game("install-prepatched", "[BaseConfig]\r\nLangIndex=0\r\n");
  game.Run("--prepatched 1951AB");
  EXPECT_EQ(game.Place("1951AB").substr(0, 10), "E910000000");
  EXPECT_EQ(game.MessageBoxes(), 1);
  EXPECT_EQ(ReportValue(game.report, "messagebox.text"), Escaped(RussianVersionMessage));
  EXPECT_EQ(ReportValue(game.report, "load"), "failed");
}

// The data checks count too, after every hook is written.
TEST(Install, DifferingDataPlaceRefuses) {
  Game game("install-data", "[BaseConfig]\r\nVoiceFxByRace=1\r\n");
  game.Run("--alter-place 327732");
  EXPECT_EQ(game.HookLog(), HookLines);
  for (const Written& w : Places) ExpectOriginal(game, w);
  EXPECT_EQ(game.MessageBoxes(), 1);
  EXPECT_EQ(ReportValue(game.report, "load"), "failed");
}

}  // namespace
