// The module loader's entry names the plug-in's folder relative to the game
// folder.  Portable: also run natively under the sanitizers (fuzz/).
#include <gtest/gtest.h>

#include <string>

#include "configurator/relative_path.h"

namespace {

TEST(RelativePath, Table) {
  const struct {
    const char* gameDir;
    const char* file;
    const char* relative;
  } cases[] = {
      {"C:\\Games\\Morrowind\\", "C:\\Games\\Morrowind\\Vandrel.dll", "Vandrel.dll"},
      {"C:\\Games\\Morrowind", "C:\\Games\\Morrowind\\Vandrel.dll", "Vandrel.dll"},  // no trailing backslash
      {"C:\\Games\\Morrowind\\", "C:\\Games\\Morrowind\\Data Files\\Quorrim\\Vandrel.dll",
       "Data Files\\Quorrim\\Vandrel.dll"},
      {"C:\\Games\\Morrowind\\", "C:\\Games\\Quorrim\\Vandrel.dll", "..\\Quorrim\\Vandrel.dll"},
      {"C:\\Games\\Morrowind\\", "D:\\Tools\\Quorrim\\Vandrel.dll", "D:\\Tools\\Quorrim\\Vandrel.dll"},
      {"c:\\GAMES\\morrowind\\", "C:\\Games\\Morrowind\\Data Files\\Vandrel.dll", "Data Files\\Vandrel.dll"},
      {"C:\\A\\B\\C\\", "C:\\X\\Vandrel.dll", "..\\..\\..\\X\\Vandrel.dll"},
      {"C:\\Games\\Morrowind\\", "C:\\Vandrel.dll", "..\\..\\Vandrel.dll"},
      {"C:\\", "C:\\Games\\Vandrel.dll", "Games\\Vandrel.dll"},
      {"\\\\server\\share\\Morrowind\\", "\\\\server\\share\\Quorrim\\Vandrel.dll", "..\\Quorrim\\Vandrel.dll"},
      {"\\\\server\\share\\Morrowind\\", "\\\\other\\share\\Vandrel.dll", "\\\\other\\share\\Vandrel.dll"},
      {"C:\\Games\\Morrowind\\", "Vandrel.dll", "Vandrel.dll"},  // no drive: kept as it is
      {"\\\\server", "\\\\server", ""},  // a server without a share: all of it is the drive
  };
  for (const auto& c : cases) EXPECT_EQ(RelativePath(c.gameDir, c.file), c.relative) << c.gameDir << " " << c.file;
}

TEST(FolderPart, Table) {
  const struct {
    const char* path;
    const char* folder;
  } cases[] = {
      {"Data Files\\Quorrim\\Vandrel.dll", "Data Files\\Quorrim\\"},
      {"Vandrel.dll", ""},
      {"D:Vandrel.dll", "D:"},
      {"..\\Vandrel.dll", "..\\"},
      {"", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(FolderPart(c.path), c.folder) << c.path;
}

}  // namespace
