// The plug-in loaded by the module loader's doubles: loader mode, game mode,
// no host log, the configurator launch.
#include <gtest/gtest.h>

#include <algorithm>

#include "support/test_support.h"

using namespace testsupport;

namespace {

// A folder laid out like a game folder: the game double (or the loader
// double), MLDRLib.dll, the plug-in and, where wanted, its settings.
struct GameFolder {
  explicit GameFolder(const std::string& name, bool withMldr = true, const char* mldrVariant = "MLDRLib.dll")
      : dir(name) {
    dir.CopyFromRuntime("Morrowind.exe");
    dir.CopyFromRuntime("MLoader.exe");
    dir.CopyFromRuntime("Vandrel.dll");
    if (withMldr) dir.CopyFromRuntime(mldrVariant, "MLDRLib.dll");
  }
  int Run(const std::string& program, const std::string& args = "", const std::string& cwd = "") {
    return RunProgram("\"" + (dir / program) + "\" --report \"" + (dir / "report.txt") + "\" " + args,
                      cwd.empty() ? dir.path() : cwd);
  }
  std::string Report(const std::string& name) { return ReportValue(ReadFile(dir / "report.txt"), name); }
  // Read once the program has ended: the plug-in has written every line
  // before its process is gone (at the exit event, at the latest at detach).
  std::vector<std::string> Log() { return LogValues(dir / "ModuleLoader.log"); }
  ScratchDir dir;
};

// The configurator the plug-in started from `dir`, once its window is up.
HWND WaitForConfigurator(const std::string& dir) {
  struct Search {
    std::string image;
    HWND found;
    static BOOL CALLBACK Visit(HWND window, LPARAM p) {
      auto* s = reinterpret_cast<Search*>(p);
      char cls[32];
      GetClassNameA(window, cls, sizeof cls);
      if (lstrcmpA(cls, "TfmTCfgMain") != 0 || !IsWindowVisible(window)) return TRUE;
      DWORD pid = 0;
      GetWindowThreadProcessId(window, &pid);
      HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid);
      char path[MAX_PATH] = {};
      DWORD size = sizeof path;
      if (process && QueryFullProcessImageNameA(process, 0, path, &size) && lstrcmpiA(path, s->image.c_str()) == 0)
        s->found = window;
      if (process) CloseHandle(process);
      return s->found ? FALSE : TRUE;
    }
  } search{dir + "\\Sethrim.exe", nullptr};
  for (int i = 0; i < 600 && !search.found; ++i) {
    EnumWindows(Search::Visit, reinterpret_cast<LPARAM>(&search));
    if (!search.found) Sleep(100);
  }
  return search.found;
}

// The configurator writes its settings beside itself when its window closes,
// key by key: they are all there once its process has ended.
bool CloseConfigurator(const std::string& dir) {
  HWND window = WaitForConfigurator(dir);
  if (!window) return false;
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, pid);
  PostMessageW(window, WM_CLOSE, 0, 0);
  if (process) {
    WaitForSingleObject(process, 30000);
    CloseHandle(process);
  } else {
    for (int i = 0; i < 300 && !FileExists(dir + "\\LirraCfg.ini"); ++i) Sleep(100);
  }
  return FileExists(dir + "\\LirraCfg.ini");
}

TEST(Host, LoaderModeWritesOneLineAndStartsNothing) {
  GameFolder game("host-loader");
  game.dir.CopyFromRuntime("Sethrim.exe");
  game.dir.Write("Morrowind.ini", "[General]\r\n");
  ASSERT_EQ(game.Run("MLoader.exe", "--run-config --hold-ms 300"), 0);
  EXPECT_EQ(game.Report("load"), "ok");
  EXPECT_EQ(game.Report("threads.added"), "0");
  EXPECT_EQ(game.Report("version"), "66059");
  EXPECT_EQ(game.Report("parameters"), "0");
  EXPECT_EQ(game.Report("shell_name"), "Sethrim.exe");
  EXPECT_EQ(game.Report("run_config"), "0");
  auto log = game.Log();
  // The attach line, then what the host's events write.
  ASSERT_GE(log.size(), 1u);
  EXPECT_EQ(log[0].rfind("DLLMAIN::Main EXE module loaded at ", 0), 0u);
  for (size_t i = 1; i < log.size(); ++i) EXPECT_TRUE(log[i] == "Initialized" || log[i] == "Unloading...") << log[i];
  EXPECT_TRUE(CloseConfigurator(game.dir.path()));
}

// Lines of one thread keep their order; the worker's and the host's
// interleave as they come.
void ExpectInOrder(const std::vector<std::string>& log, const std::vector<std::string>& expected) {
  size_t at = 0;
  for (const std::string& line : log)
    if (at < expected.size() && line == expected[at]) ++at;
  EXPECT_EQ(at, expected.size()) << "missing or out of order: " << (at < expected.size() ? expected[at] : "");
}

TEST(Host, GameModeLinesInOrder) {
  GameFolder game("host-game");
  game.dir.Write("LirraCfg.ini", "[LirraDlg]\r\nVoiceEnable=1\r\n[LirraDoc]\r\nVoiceEnable=1\r\n");
  ASSERT_EQ(game.Run("Morrowind.exe", "--wait-log \"WRKTHREAD::Entering message loop.\""), 0);
  EXPECT_EQ(game.Report("load"), "ok");
  EXPECT_EQ(game.Report("threads.added"), "2");  // the worker and the log's writer
  EXPECT_EQ(game.Report("wait_log"), "found");
  auto log = game.Log();
  ASSERT_FALSE(log.empty());
  EXPECT_EQ(log[0], "DLLMAIN::Main EXE module loaded at 00400000.");
  ExpectInOrder(log, {"DLLMAIN::Main EXE module loaded at 00400000.", "Starting Quorrim...",
                      "DLLMAIN::Worker thread are created successfully."});
  // Dialogue voices in their order; the document voice is read by a dialogue
  // voice by default and is never set up.
  ExpectInOrder(log, {"Entering worker thread...", "WRKTHREAD::Trying to initialize 'VoiceMaleDlg'.",
                      "WRKTHREAD::Trying to initialize 'VoiceFemaleDlg'.",
                      "WRKTHREAD::Trying to initialize 'VoiceCreatureDlg'.", "WRKTHREAD::Entering message loop."});
  ExpectInOrder(log, {"Initialized", "Unloading..."});
  for (const std::string& line : log) EXPECT_EQ(line.find("'VoiceDoc'"), std::string::npos) << line;
}

// A host that ends the process without its exit event, over a log grown
// long (each write slow, the writer behind): the process still ends, the
// host's old entries stay, and the plug-in's lines are all there in order,
// detach's "Unloading..." last.
TEST(Host, ProcessEndWithoutTheExitEventWritesEveryLine) {
  GameFolder game("host-noexit");
  game.dir.Write("LirraCfg.ini", "[LirraDlg]\r\nVoiceEnable=1\r\n");
  std::string old = "[Quorrim]\r\n";
  for (int i = 0; i < 3000; ++i) old += "old" + std::to_string(i) + "_1.1.2000_0:0:0:0=EVENT::Trying to speak: Hm.\r\n";
  game.dir.Write("ModuleLoader.log", old);
  ASSERT_EQ(game.Run("Morrowind.exe", "--wait-log \"WRKTHREAD::Entering message loop.\" --no-exit-event"), 0);
  EXPECT_EQ(game.Report("done"), "1");
  auto log = game.Log();
  ASSERT_GT(log.size(), 3000u);
  for (size_t i = 0; i < 3000; ++i) ASSERT_EQ(log[i], "EVENT::Trying to speak: Hm.") << i;
  log.erase(log.begin(), log.begin() + 3000);
  ExpectInOrder(log, {"DLLMAIN::Main EXE module loaded at 00400000.", "Starting Quorrim...",
                      "DLLMAIN::Worker thread are created successfully.", "Entering worker thread...",
                      "WRKTHREAD::Trying to initialize 'VoiceMaleDlg'.", "WRKTHREAD::Entering message loop."});
  EXPECT_NE(std::find(log.begin(), log.end(), "Initialized"), log.end());
  EXPECT_EQ(log.back(), "Unloading...");
  EXPECT_EQ(std::count(log.begin(), log.end(), "Unloading..."), 1);
}

TEST(Host, DisabledVoicesAreNotSetUp) {
  GameFolder game("host-novoices");
  game.dir.Write("LirraCfg.ini", "[BaseConfig]\r\nDocVoiceAsDlg=0\r\n[LirraDoc]\r\nVoiceEnable=1\r\n");
  ASSERT_EQ(game.Run("Morrowind.exe", "--wait-log \"WRKTHREAD::Entering message loop.\""), 0);
  auto log = game.Log();
  ExpectInOrder(log, {"Entering worker thread...", "WRKTHREAD::Trying to initialize 'VoiceDoc'.",
                      "WRKTHREAD::Entering message loop."});
  for (const std::string& line : log) EXPECT_EQ(line.find("Dlg'"), std::string::npos) << line;
}

TEST(Host, WithoutMldrLibNoLogIsTouched) {
  GameFolder game("host-nomldr", /*withMldr=*/false);
  ASSERT_EQ(game.Run("Morrowind.exe", "--hold-ms 300"), 0);
  EXPECT_EQ(game.Report("load"), "ok");
  EXPECT_EQ(game.Report("threads.added"), "1");
  EXPECT_FALSE(FileExists(game.dir / "ModuleLoader.log"));
}

TEST(Host, CdeclWriteLogFileWorksToo) {
  GameFolder game("host-cdecl", true, "cdecl\\MLDRLib.dll");
  ASSERT_EQ(game.Run("Morrowind.exe", "--wait-log \"WRKTHREAD::Entering message loop.\""), 0);
  EXPECT_EQ(game.Report("load"), "ok");
  EXPECT_EQ(game.Report("done"), "1");
  auto log = game.Log();
  ASSERT_FALSE(log.empty());
  EXPECT_EQ(log[0], "DLLMAIN::Main EXE module loaded at 00400000.");
}

TEST(Host, ConfiguratorStartsFromThePluginFolder) {
  GameFolder game("host-config");
  ScratchDir elsewhere("host-config-cwd");
  // A decoy in the current folder must not be the one started.
  elsewhere.CopyFromRuntime("Sethrim.exe");
  game.dir.CopyFromRuntime("Sethrim.exe");
  game.dir.Write("Morrowind.ini", "[General]\r\n");
  ASSERT_EQ(game.Run("Morrowind.exe", "--run-config --hold-ms 1500", elsewhere.path()), 0);
  EXPECT_EQ(game.Report("run_config"), "0");
  ASSERT_TRUE(CloseConfigurator(game.dir.path()));
  char value[MAX_PATH];
  GetPrivateProfileStringA("BaseConfig", "GameInstDir", "", value, sizeof value, (game.dir / "LirraCfg.ini").c_str());
  EXPECT_EQ(std::string(value), game.dir.path() + "\\");
  EXPECT_FALSE(FileExists(elsewhere / "LirraCfg.ini"));
}

// The loader double loads what its list in the game folder names, as the
// module loader does: a folder relative to the game folder or absolute.
TEST(Host, TheLoaderLoadsTheModuleItsListNames) {
  const struct {
    const char* name;
    bool absolute;  // the entry names the folder by its full path
    const char* dir;
    bool listed;
  } cases[] = {
      {"relative", false, "Data Files\\Quorrim\\", true},
      {"absolute", true, "Quorrim\\", true},
      {"game folder", false, "", true},
      {"not listed", false, "", false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ScratchDir dir("host-list");
    dir.CopyFromRuntime("MLoader.exe");
    dir.CopyFromRuntime("MLDRLib.dll");
    std::string folder = dir.path() + "\\";
    for (const char* p = c.dir; *p; ++p) {
      folder += *p;
      if (*p == '\\') CreateDirectoryA(folder.c_str(), nullptr);
    }
    const std::string plugin = folder + "Vandrel.dll";
    ASSERT_TRUE(CopyFileA((RuntimeDir() + "\\Vandrel.dll").c_str(), plugin.c_str(), FALSE));
    const std::string entry = "1<" + (c.absolute ? folder : std::string(c.dir)) + ">Speaks all dialogues.";
    dir.Write("ModuleLoader.ini", "[Parameters]\r\nTargetName=Morrowind.exe\r\n[ModulesList]\r\n" +
                                      std::string(c.listed ? "Vandrel.dll=" + entry + "\r\n" : ""));
    ASSERT_EQ(RunProgram("\"" + (dir / "MLoader.exe") + "\" --report \"" + (dir / "report.txt") + "\"", dir.path()), 0);
    const std::string report = ReadFile(dir / "report.txt");
    if (!c.listed) {
      EXPECT_EQ(ReportValue(report, "load"), "not-listed");
      continue;
    }
    EXPECT_EQ(ReportValue(report, "module"), plugin);
    EXPECT_EQ(ReportValue(report, "load"), "ok");
    EXPECT_EQ(ReportValue(report, "plugin.loaded"), "1");
  }
}

TEST(Host, ConfiguratorMissingReportsFailure) {
  GameFolder game("host-noconfig");
  ASSERT_EQ(game.Run("Morrowind.exe", "--run-config"), 0);
  EXPECT_EQ(game.Report("run_config"), "1");
}

}  // namespace
