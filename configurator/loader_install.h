// Installing the plug-in into the module loader's list: ModuleLoader.ini in
// the game folder, section "ModulesList", key "Vandrel.dll", value
// "1<folder>description" with the plug-in's folder relative to the game
// folder.  Every answer reads the file again: the configurator keeps no
// installation state of its own.  Folders carry their trailing backslash.
#pragma once
#include <cstdint>
#include <string>

inline constexpr char LoaderIniName[] = "ModuleLoader.ini";
inline constexpr char ModulesListSection[] = "ModulesList";
inline constexpr char PluginFileName[] = "Vandrel.dll";

enum InstallState : uint32_t {
  NotInstalled = 0,    // the loader's file is there; the plug-in is not listed
  LoaderNotFound = 1,  // no ModuleLoader.ini in the game folder
  Installed = 2,       // listed with a non-empty value
};

bool LoaderIniExists(const std::string& gameDir);
InstallState GetInstallState(const std::string& gameDir);
// The loader itself is set up: "Parameters" "TargetName" is not empty.
bool LoaderHasTarget(const std::string& gameDir);

// The entry for the plug-in in exeDir: "1<" + its folder relative to the game
// folder + ">" + description.
std::string LoaderEntryValue(const std::string& gameDir, const std::string& exeDir, const std::string& description);
// Writes the entry (the profile functions make the file and the section
// when they are missing).  False when the write failed; the state read
// afterwards tells what is really there.
bool InstallIntoLoader(const std::string& gameDir, const std::string& exeDir, const std::string& description);
bool RemoveFromLoader(const std::string& gameDir);

// Without a loader the plug-in, its settings and its lexicon are copied into
// the game folder when the configurator closes; existing copies are replaced
// (a lexicon only when there is one to copy).
void CopyPluginToGame(const std::string& gameDir, const std::string& exeDir);

enum UnpackResult : uint32_t { Unpacked = 0, NoEmbeddedPlugin = 1, PluginNotCreated = 2, PluginKept = 3 };
// Writes the plug-in image a configurator build may carry as the RCDATA
// resource "LIRRAMOD" to exeDir + Vandrel.dll, but only where there is no
// plug-in yet: one that is there may be newer than the image, and a player's
// update must not be undone at every start of the configurator.
// PluginNotCreated also when the image could not be written whole: the part
// written is deleted again.
UnpackResult UnpackEmbeddedPlugin(const std::string& exeDir);
