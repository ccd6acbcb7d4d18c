// Installing into the module loader's list in a scratch game folder: the
// state read back from the file, the entry's value, and everything else of
// ModuleLoader.ini surviving INSTALL and UNINSTALL.  Unpacking the plug-in
// image that this program carries as the configurator may (see this folder's
// CMakeLists.txt), with and without room for it on the disk.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdlib>
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

TEST(LoaderInstall, WithoutALoaderThePluginItsSettingsAndLexiconAreCopiedIntoTheGameFolder) {
  GameDir game("loader-copy");
  ScratchDir tool("loader-copy-tool");
  tool.Write("Vandrel.dll", "new plug-in");
  tool.Write("LirraCfg.ini", "[BaseConfig]\r\nLangIndex=1\r\n");
  game.dir.Write("Vandrel.dll", "old plug-in");
  CopyPluginToGame(game.path, tool.path() + "\\");
  EXPECT_EQ(ReadFile(game.path + "Vandrel.dll"), "new plug-in");
  EXPECT_EQ(ReadFile(game.path + "LirraCfg.ini"), "[BaseConfig]\r\nLangIndex=1\r\n");
  // The lexicon goes along where the plug-in reads it; without one beside
  // the configurator, the game's own stays.
  EXPECT_EQ(GetFileAttributesA((game.path + "Lexicon.txt").c_str()), INVALID_FILE_ATTRIBUTES);
  game.dir.Write("Lexicon.txt", "Vivec = VIH-vek\r\n");
  CopyPluginToGame(game.path, tool.path() + "\\");
  EXPECT_EQ(ReadFile(game.path + "Lexicon.txt"), "Vivec = VIH-vek\r\n");
  tool.Write("Lexicon.txt", "Vivec = VIV-ek\r\n");
  CopyPluginToGame(game.path, tool.path() + "\\");
  EXPECT_EQ(ReadFile(game.path + "Lexicon.txt"), "Vivec = VIV-ek\r\n");
}

// The image as the resource table gives it.
std::string EmbeddedImage() {
  HRSRC found = FindResourceA(nullptr, "LIRRAMOD", RT_RCDATA);
  HGLOBAL loaded = found ? LoadResource(nullptr, found) : nullptr;
  const char* bytes = loaded ? static_cast<const char*>(LockResource(loaded)) : nullptr;
  return bytes ? std::string(bytes, SizeofResource(nullptr, found)) : std::string();
}

TEST(PluginUnpack, TheImageIsWrittenOnlyWhereThereIsNoPlugin) {
  const std::string image = EmbeddedImage();
  ASSERT_GT(image.size(), 0u) << "this program carries no LIRRAMOD";
  ScratchDir tool("unpack");
  const std::string plugin = tool.path() + "\\" + PluginFileName;
  EXPECT_EQ(UnpackEmbeddedPlugin(tool.path() + "\\"), Unpacked);
  const std::string written = ReadFile(plugin);
  EXPECT_EQ(written.size(), image.size());
  EXPECT_TRUE(written == image) << "the plug-in is not the image";

  // A player's newer plug-in is not undone at the next start.
  tool.Write(PluginFileName, "a newer plug-in");
  EXPECT_EQ(UnpackEmbeddedPlugin(tool.path() + "\\"), PluginKept);
  EXPECT_EQ(ReadFile(plugin), "a newer plug-in");

  // A folder that is gone gets nothing.
  EXPECT_EQ(UnpackEmbeddedPlugin(tool.path() + "\\gone\\"), PluginNotCreated);
  EXPECT_FALSE(FileExists(tool.path() + "\\gone\\" + PluginFileName));
}

// The disk fills up while the image is written: the operating system writes
// what fits and refuses the rest.  ctest runs this case alone, under a limit
// on the size of the files this process may write (QUORRIM_FILE_SIZE_LIMIT
// bytes, below the image's size), which cuts the write short just as a full
// disk does.  A part of a DLL left behind would be kept at every later start
// and would never load.
class UnpackOnAFullDisk : public testing::Test {
 public:
  explicit UnpackOnAFullDisk(unsigned long limit) : limit_(limit) {}
  void TestBody() override {
    const std::string image = EmbeddedImage();
    ASSERT_GT(image.size(), limit_) << "the image fits below the limit";
    ScratchDir tool("unpack-full");
    // The limit is really there: a file of the image's size comes up short.
    const std::string probe = tool.path() + "\\probe.bin";
    HANDLE file = CreateFileA(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    DWORD written = 0;
    const BOOL wrote = WriteFile(file, image.data(), static_cast<DWORD>(image.size()), &written, nullptr);
    CloseHandle(file);
    ASSERT_TRUE(!wrote || written < image.size()) << "no limit on this process's writes";
    EXPECT_LE(ReadFile(probe).size(), limit_);
    DeleteFileA(probe.c_str());

    EXPECT_EQ(UnpackEmbeddedPlugin(tool.path() + "\\"), PluginNotCreated);
    EXPECT_FALSE(FileExists(tool.path() + "\\" + PluginFileName)) << "a part of the plug-in was left";
  }

 private:
  unsigned long limit_;
};

const bool fullDiskRegistered = [] {
  char limit[32] = {};
  if (!GetEnvironmentVariableA("QUORRIM_FILE_SIZE_LIMIT", limit, sizeof limit)) return false;
  const unsigned long bytes = std::strtoul(limit, nullptr, 10);
  testing::RegisterTest("PluginUnpack", "OnAFullDiskNothingIsLeft", nullptr, nullptr, __FILE__, __LINE__,
                        [bytes]() -> testing::Test* { return new UnpackOnAFullDisk(bytes); });
  return true;
}();

}  // namespace
