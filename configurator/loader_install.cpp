#include "configurator/loader_install.h"

#include <windows.h>

#include "common/lexicon.h"
#include "common/settings_keys.h"
#include "configurator/relative_path.h"

namespace {

std::string LoaderIni(const std::string& gameDir) { return gameDir + LoaderIniName; }

// Only the first 31 characters are read: enough to tell empty from not.
std::string ReadShort(const std::string& gameDir, const char* section, const char* key) {
  char value[32] = {};
  GetPrivateProfileStringA(section, key, "", value, sizeof value, LoaderIni(gameDir).c_str());
  return value;
}

}  // namespace

bool LoaderIniExists(const std::string& gameDir) {
  return GetFileAttributesA(LoaderIni(gameDir).c_str()) != INVALID_FILE_ATTRIBUTES;
}

InstallState GetInstallState(const std::string& gameDir) {
  if (!LoaderIniExists(gameDir)) return LoaderNotFound;
  return ReadShort(gameDir, ModulesListSection, PluginFileName).empty() ? NotInstalled : Installed;
}

bool LoaderHasTarget(const std::string& gameDir) { return !ReadShort(gameDir, "Parameters", "TargetName").empty(); }

std::string LoaderEntryValue(const std::string& gameDir, const std::string& exeDir, const std::string& description) {
  return "1<" + FolderPart(RelativePath(gameDir, exeDir + PluginFileName)) + ">" + description;
}

bool InstallIntoLoader(const std::string& gameDir, const std::string& exeDir, const std::string& description) {
  return WritePrivateProfileStringA(ModulesListSection, PluginFileName,
                                    LoaderEntryValue(gameDir, exeDir, description).c_str(),
                                    LoaderIni(gameDir).c_str()) != 0;
}

bool RemoveFromLoader(const std::string& gameDir) {
  return WritePrivateProfileStringA(ModulesListSection, PluginFileName, nullptr, LoaderIni(gameDir).c_str()) != 0;
}

void CopyPluginToGame(const std::string& gameDir, const std::string& exeDir) {
  for (const char* name : {PluginFileName, settings_file::FileName, LexiconFileName})
    CopyFileA((exeDir + name).c_str(), (gameDir + name).c_str(), FALSE);
}

UnpackResult UnpackEmbeddedPlugin(const std::string& exeDir) {
  HRSRC found = FindResourceA(nullptr, "LIRRAMOD", RT_RCDATA);
  HGLOBAL loaded = found ? LoadResource(nullptr, found) : nullptr;
  const void* image = loaded ? LockResource(loaded) : nullptr;
  const DWORD size = image ? SizeofResource(nullptr, found) : 0;
  if (!image || size == 0) return NoEmbeddedPlugin;
  const std::string path = exeDir + PluginFileName;
  if (GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES) return PluginKept;
  HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return PluginNotCreated;
  DWORD written = 0;
  const bool whole = WriteFile(file, image, size, &written, nullptr) && written == size;
  const bool closed = CloseHandle(file) != 0;
  if (whole && closed) return Unpacked;
  // A plug-in cut short (a full disk) would not load, and being there it
  // would be kept at every later start: nothing at all is better.
  DeleteFileA(path.c_str());
  return PluginNotCreated;
}
