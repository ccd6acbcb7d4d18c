// Installing into the module loader's list in a scratch game folder: the
// state read back from the file, the entry's value, and everything else of
// ModuleLoader.ini surviving INSTALL and UNINSTALL.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "configurator/loader_install.h"
#include "support/test_support.h"

using namespace testsupport;

namespace {

const char English[] = "Speaks all dialogues and a documents using TTS engine.";
// The Russian description, code page 1251.
const char Russian[] =
    "\xCE\xE7\xE2\xF3\xF7\xE8\xE2\xE0\xE5\xF2 \xE4\xE8\xE0\xEB\xEE\xE3\xE8 \xE8 \xEA\xED\xE8\xE3\xE8 "
    "\xF1 \xEF\xEE\xEC\xEE\xF9\xFC\xFE TTS.";

struct GameDir {
  explicit GameDir(const char* name) : dir(name), path(dir.path() + "\\") {}
  std::string Ini() const { return path + LoaderIniName; }
  std::string Read(const char* section, const char* key) const {
    char value[512] = {};
    GetPrivateProfileStringA(section, key, "<none>", value, sizeof value, Ini().c_str());
    return value;
  }
  std::vector<std::string> Keys(const char* section) const {
    char keys[2048] = {};
    GetPrivateProfileStringA(section, nullptr, "", keys, sizeof keys, Ini().c_str());
    std::vector<std::string> out;
    for (const char* k = keys; *k; k += lstrlenA(k) + 1) out.push_back(k);
    return out;
  }
  ScratchDir dir;
  std::string path;
};

TEST(LoaderInstall, StateFollowsTheFile) {
  GameDir game("loader-state");
  EXPECT_EQ(GetInstallState(game.path), LoaderNotFound);
  EXPECT_FALSE(LoaderHasTarget(game.path));
  game.dir.Write(LoaderIniName, "[ModulesList]\r\nOther.dll=1<>x\r\n");
  EXPECT_EQ(GetInstallState(game.path), NotInstalled);
  EXPECT_FALSE(LoaderHasTarget(game.path));  // the loader itself is not set up
  game.dir.Write(LoaderIniName, "[Parameters]\r\nTargetName=Morrowind.exe\r\n[ModulesList]\r\nVandrel.dll=\r\n");
  EXPECT_EQ(GetInstallState(game.path), NotInstalled);  // an empty value lists nothing
  EXPECT_TRUE(LoaderHasTarget(game.path));
  game.dir.Write(LoaderIniName, "[ModulesList]\r\nVandrel.dll=1<>" + std::string(40, 'x') + "\r\n");
  EXPECT_EQ(GetInstallState(game.path), Installed);
}

TEST(LoaderInstall, EntryValueByWhereTheConfiguratorIs) {
  const struct {
    const char* exeDir;
    const char* value;
  } cases[] = {
      {"C:\\Games\\Morrowind\\", "1<>"},
      {"C:\\Games\\Morrowind\\Data Files\\Quorrim\\", "1<Data Files\\Quorrim\\>"},
      {"C:\\Games\\Quorrim\\", "1<..\\Quorrim\\>"},
      {"D:\\Tools\\Quorrim\\", "1<D:\\Tools\\Quorrim\\>"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(LoaderEntryValue("C:\\Games\\Morrowind\\", c.exeDir, English), c.value + std::string(English)) << c.exeDir;
}

// Other modules, other sections and comments stay; the same key is rewritten
// in the other language; UNINSTALL takes only our key.
TEST(LoaderInstall, InstallAndUninstallTouchOnlyTheirKey) {
  GameDir game("loader-keys");
  game.dir.Write(LoaderIniName,
                 "; the loader's own comment\r\n[Parameters]\r\nTargetName=Morrowind.exe\r\n[ModulesList]\r\n"
                 "Before.dll=1<>first\r\nAfter.dll=1<Mods\\>second\r\n[Other]\r\nKey=Value\r\n");
  const std::string exeDir = game.path + "Data Files\\Quorrim\\";
  ASSERT_TRUE(InstallIntoLoader(game.path, exeDir, English));
  EXPECT_EQ(game.Read("ModulesList", "Vandrel.dll"), "1<Data Files\\Quorrim\\>" + std::string(English));
  EXPECT_EQ(GetInstallState(game.path), Installed);
  ASSERT_TRUE(InstallIntoLoader(game.path, exeDir, Russian));
  EXPECT_EQ(game.Read("ModulesList", "Vandrel.dll"), "1<Data Files\\Quorrim\\>" + std::string(Russian));
  EXPECT_EQ(game.Keys("ModulesList"), (std::vector<std::string>{"Before.dll", "After.dll", "Vandrel.dll"}));

  ASSERT_TRUE(RemoveFromLoader(game.path));
  EXPECT_EQ(GetInstallState(game.path), NotInstalled);
  EXPECT_EQ(game.Keys("ModulesList"), (std::vector<std::string>{"Before.dll", "After.dll"}));
  EXPECT_EQ(game.Read("ModulesList", "After.dll"), "1<Mods\\>second");
  EXPECT_EQ(game.Read("Parameters", "TargetName"), "Morrowind.exe");
  EXPECT_EQ(game.Read("Other", "Key"), "Value");
  EXPECT_NE(ReadFile(game.Ini()).find("; the loader's own comment"), std::string::npos);
}

// INSTALL without a loader's file makes one; a file that cannot be written is
// reported as it really is afterwards.
TEST(LoaderInstall, WritesThatFailAreSeenInTheState) {
  GameDir fresh("loader-fresh");
  ASSERT_TRUE(InstallIntoLoader(fresh.path, fresh.path, English));
  EXPECT_EQ(GetInstallState(fresh.path), Installed);
  EXPECT_EQ(fresh.Read("ModulesList", "Vandrel.dll"), "1<>" + std::string(English));

  // A file another program holds open (as root, a read-only attribute does
  // not stop Wine's writes; a sharing violation does).
  GameDir locked("loader-locked");
  locked.dir.Write(LoaderIniName, "[Parameters]\r\nTargetName=Morrowind.exe\r\n");
  HANDLE held = CreateFileA(locked.Ini().c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  EXPECT_FALSE(InstallIntoLoader(locked.path, locked.path, English));
  CloseHandle(held);
  EXPECT_EQ(GetInstallState(locked.path), NotInstalled);
}

TEST(LoaderInstall, WithoutALoaderThePluginAndItsSettingsAreCopiedIntoTheGameFolder) {
  GameDir game("loader-copy");
  ScratchDir tool("loader-copy-tool");
  tool.Write("Vandrel.dll", "new plug-in");
  tool.Write("LirraCfg.ini", "[BaseConfig]\r\nLangIndex=1\r\n");
  game.dir.Write("Vandrel.dll", "old plug-in");
  CopyPluginToGame(game.path, tool.path() + "\\");
  EXPECT_EQ(ReadFile(game.path + "Vandrel.dll"), "new plug-in");
  EXPECT_EQ(ReadFile(game.path + "LirraCfg.ini"), "[BaseConfig]\r\nLangIndex=1\r\n");
}

}  // namespace
