#include "configurator/wine_voices.h"

#include <windows.h>

#include <objbase.h>

#include "voice_engine/quorrim_voice.h"

namespace {

std::wstring ClsidKeyOf(const std::wstring& clsid) { return L"CLSID\\" + clsid + L"\\InprocServer32"; }

std::wstring OwnClsid() {
  wchar_t text[64];
  StringFromGUID2(CLSID_QuorrimVoice, text, 64);
  return text;
}

bool EngineRegistered(const std::wstring& clsid) {
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_CLASSES_ROOT, ClsidKeyOf(clsid).c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
  wchar_t path[MAX_PATH] = {};
  DWORD size = sizeof path, type = 0;
  const bool named =
      RegQueryValueExW(key, nullptr, nullptr, &type, reinterpret_cast<BYTE*>(path), &size) == ERROR_SUCCESS &&
      path[0] != 0;
  RegCloseKey(key);
  return named;
}

bool IsOurToken(const wchar_t* name) {
  for (const QuorrimVoiceToken& t : QuorrimVoiceTokens)
    if (lstrcmpiW(t.key, name) == 0) return true;
  return false;
}

}  // namespace

bool RunningUnderWine() {
  const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
  return ntdll && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

bool PrefixHasOtherVoice() {
  HKEY tokens = nullptr;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, VoiceTokensKey, 0, KEY_READ, &tokens) != ERROR_SUCCESS) return false;
  bool found = false;
  wchar_t name[256];
  for (DWORD i = 0; !found; ++i) {
    DWORD length = 256;
    if (RegEnumKeyExW(tokens, i, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
    if (IsOurToken(name)) continue;
    HKEY token = nullptr;
    if (RegOpenKeyExW(tokens, name, 0, KEY_READ, &token) != ERROR_SUCCESS) continue;
    wchar_t clsid[64] = {};
    DWORD size = sizeof clsid - sizeof(wchar_t), type = 0;
    if (RegQueryValueExW(token, L"CLSID", nullptr, &type, reinterpret_cast<BYTE*>(clsid), &size) == ERROR_SUCCESS &&
        type == REG_SZ)
      found = EngineRegistered(clsid);
    RegCloseKey(token);
  }
  RegCloseKey(tokens);
  return found;
}

bool QuorrimVoicesRegistered() {
  HKEY key = nullptr;
  const std::wstring first = std::wstring(VoiceTokensKey) + L"\\" + QuorrimVoiceTokens[0].key;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, first.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
  RegCloseKey(key);
  return true;
}

bool EspeakInstalled() {
  for (const char* p :
       {"Z:\\usr\\bin\\espeak-ng", "Z:\\usr\\local\\bin\\espeak-ng", "Z:\\run\\host\\usr\\bin\\espeak-ng"})
    if (GetFileAttributesA(p) != INVALID_FILE_ATTRIBUTES) return true;
  return false;
}

std::vector<const char*> InstallWineVoices(const std::string& exeDir) {
  if (!RunningUnderWine()) return {};
  if (PrefixHasOtherVoice()) return {"WINEHASVOICE"};
  const std::string dll = exeDir + QuorrimVoiceDll;
  // A folder without the engine (a build that does not carry it) offers
  // nothing; the release has it.
  if (GetFileAttributesA(dll.c_str()) == INVALID_FILE_ATTRIBUTES) return {};
  HMODULE engine = LoadLibraryA(dll.c_str());
  auto reg = engine ? reinterpret_cast<HRESULT(WINAPI*)()>(GetProcAddress(engine, "DllRegisterServer")) : nullptr;
  const bool registered = reg && SUCCEEDED(reg());
  if (engine) FreeLibrary(engine);
  std::vector<const char*> lines{registered ? "WINEVOICESADDED" : "WINEVOICESFAILED"};
  if (registered && !EspeakInstalled()) lines.push_back("WINENOESPEAK");
  return lines;
}

// Removed from the registry directly: the folder (and the DLL with it) may
// be gone already.
std::vector<const char*> RemoveWineVoices() {
  if (!RunningUnderWine() || !QuorrimVoicesRegistered()) return {};
  for (const QuorrimVoiceToken& t : QuorrimVoiceTokens)
    RegDeleteTreeW(HKEY_LOCAL_MACHINE, (std::wstring(VoiceTokensKey) + L"\\" + t.key).c_str());
  RegDeleteTreeW(HKEY_CLASSES_ROOT, (L"CLSID\\" + OwnClsid()).c_str());
  return {QuorrimVoicesRegistered() ? "WINEVOICESKEPT" : "WINEVOICESREMOVED"};
}
