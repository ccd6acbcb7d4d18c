// How a test (or the demo) drives the SAPI stand-in (QuorrimSapi.dll) and
// sees what it spoke.  Everything goes through one registry key of the Wine
// prefix, HKCU\Software\Quorrim\SapiStandIn, or the subkey of it that the
// environment variable QUORRIM_SAPI_KEY names (each test program takes its
// own, and the programs it starts inherit it, so that test programs can run
// side by side):
//
//   Voices        REG_MULTI_SZ  installed voices in enumeration order, each
//                               "Description" or "Description=espeak:VOICE"
//                               (the second speaks through /usr/bin/espeak-ng),
//                               either followed by the token's attributes,
//                               ";Gender=Male;Age=Adult;Language=409"
//                               (VoiceEntry makes one)
//   DefaultVoice  REG_SZ        the description SAPI falls back to (default:
//                               the first installed voice)
//
// and, written by the stand-in after every Speak call:
//
//   SpeakCount    REG_DWORD     Speak calls so far
//   LastText      REG_SZ        the whole string the voice was given
//   LastPlain     REG_SZ        the text left after the markup
//   LastVoice     REG_SZ        the description of the voice that spoke
//   LastPitch, LastRate, LastVolume  REG_DWORD (signed) at the end of the text
//   LastOutput    REG_SZ        "memory", "file", "speakers" or "none"
//   LastBytes     REG_DWORD     bytes written for that call
//   LastResult    REG_DWORD     what Speak returned: 0, or SAPI's
//                               SPERR_XML_BAD_SYNTAX (0x80045042) for markup
//                               its parser cannot read (a '&' that begins no
//                               reference, an unclosed or nameless tag), and
//                               then nothing is spoken ("LastOutput" "none")
//
// and, to stand in for a SAPI that lacks what Windows' has (Wine's), REG_DWORD
// switches read at each call (SetRefused; the stand-in's side is in
// sapi_standin_refusals.h):
//
//   RefuseMemoryStream, RefuseAudioFormat   1: that class cannot be created
//                               (CLASS_E_CLASSNOTAVAILABLE)
//   RefuseMarkup                1: a text SAPI would read as markup is
//                               refused with E_NOTIMPL, nothing is spoken
//   ReadMarkupAsText            1: as Wine 10's SAPI: SVSFIsXML is refused
//                               with E_NOTIMPL, and any other text is read
//                               as plain text, tags and all
//
// and, while a test has set RecordSpoken (StartRecordingSpoken), every Speak
// call in order:
//
//   Spoken        REG_MULTI_SZ  one entry a call: "pitch rate volume|plain text"
#pragma once
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

namespace sapistandin {

inline constexpr char KeyPath[] = "Software\\Quorrim\\SapiStandIn";
inline constexpr char DllName[] = "QuorrimSapi.dll";

inline constexpr char KeyVariable[] = "QUORRIM_SAPI_KEY";

inline HKEY OpenKey() {
  std::string path = KeyPath;
  char own[128];
  const DWORD length = GetEnvironmentVariableA(KeyVariable, own, sizeof own);
  if (length > 0 && length < sizeof own) path += std::string("\\") + own;
  HKEY key = nullptr;
  RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr);
  return key;
}

// Loads the stand-in from `dllPath` and has it register itself for the four
// SAPI classes (InprocServer32 = its own path).  True on success.  Any COM
// server's DllRegisterServer is called the same way (QuorrimVoice.dll's in
// the Wine SAPI tests and benches).
inline bool Register(const std::string& dllPath) {
  HMODULE dll = LoadLibraryA(dllPath.c_str());
  if (!dll) return false;
  auto reg = reinterpret_cast<HRESULT(WINAPI*)()>(GetProcAddress(dll, "DllRegisterServer"));
  bool ok = reg && SUCCEEDED(reg());
  FreeLibrary(dll);
  return ok;
}

// A Voices entry with the attributes SAPI's own tokens carry; espeak, when
// given, is the espeak-ng voice it speaks with.
inline std::string VoiceEntry(const std::string& description, const std::string& gender,
                              const std::string& age = "Adult", const std::string& espeak = "") {
  return description + (espeak.empty() ? "" : "=espeak:" + espeak) + ";Gender=" + gender + ";Age=" + age +
         ";Language=409";
}

inline void SetVoices(const std::vector<std::string>& voices, const std::string& defaultVoice = "") {
  std::string multi;
  for (const std::string& v : voices) multi += v + '\0';
  multi += '\0';
  HKEY key = OpenKey();
  RegSetValueExA(key, "Voices", 0, REG_MULTI_SZ, reinterpret_cast<const BYTE*>(multi.data()),
                 static_cast<DWORD>(multi.size()));
  if (defaultVoice.empty())
    RegDeleteValueA(key, "DefaultVoice");
  else
    RegSetValueExA(key, "DefaultVoice", 0, REG_SZ, reinterpret_cast<const BYTE*>(defaultVoice.c_str()),
                   static_cast<DWORD>(defaultVoice.size() + 1));
  RegCloseKey(key);
}

inline std::string ReadString(const char* name) {
  HKEY key = OpenKey();
  std::vector<wchar_t> buffer(65536);
  DWORD size = static_cast<DWORD>(buffer.size() * sizeof(wchar_t)), type = 0;
  std::string out;
  if (RegQueryValueExW(key, std::wstring(name, name + lstrlenA(name)).c_str(), nullptr, &type,
                       reinterpret_cast<BYTE*>(buffer.data()), &size) == ERROR_SUCCESS && type == REG_SZ) {
    int n = WideCharToMultiByte(CP_ACP, 0, buffer.data(), -1, nullptr, 0, nullptr, nullptr);
    out.resize(n > 0 ? n - 1 : 0);
    if (n > 1) WideCharToMultiByte(CP_ACP, 0, buffer.data(), -1, out.data(), n, nullptr, nullptr);
  }
  RegCloseKey(key);
  return out;
}

inline long ReadNumber(const char* name, long fallback = -99999) {
  HKEY key = OpenKey();
  DWORD value = 0, size = sizeof value, type = 0;
  long out = fallback;
  if (RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size) == ERROR_SUCCESS &&
      type == REG_DWORD)
    out = static_cast<long>(static_cast<int32_t>(value));
  RegCloseKey(key);
  return out;
}

inline long SpeakCount() { return ReadNumber("SpeakCount", 0); }

// Sets or clears one of the Refuse... switches.
inline void SetRefused(const char* name, bool refused) {
  HKEY key = OpenKey();
  const DWORD on = 1;
  if (refused)
    RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&on), sizeof on);
  else
    RegDeleteValueA(key, name);
  RegCloseKey(key);
}

// What one Speak call said, with the prosody at the end of its text.
struct SpokenText {
  long pitch, rate, volume;
  std::string plain;
};

// Empties the record of Speak calls and has the stand-in keep one from now on.
inline void StartRecordingSpoken() {
  HKEY key = OpenKey();
  RegDeleteValueA(key, "Spoken");
  const DWORD on = 1;
  RegSetValueExA(key, "RecordSpoken", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&on), sizeof on);
  RegCloseKey(key);
}

inline void StopRecordingSpoken() {
  HKEY key = OpenKey();
  RegDeleteValueA(key, "RecordSpoken");
  RegDeleteValueA(key, "Spoken");
  RegCloseKey(key);
}

// The Speak calls since StartRecordingSpoken, in order.
inline std::vector<SpokenText> Spoken() {
  std::vector<SpokenText> spoken;
  HKEY key = OpenKey();
  DWORD size = 0, type = 0;
  if (RegQueryValueExW(key, L"Spoken", nullptr, &type, nullptr, &size) == ERROR_SUCCESS && type == REG_MULTI_SZ) {
    std::vector<wchar_t> buffer(size / sizeof(wchar_t) + 2, L'\0');
    RegQueryValueExW(key, L"Spoken", nullptr, &type, reinterpret_cast<BYTE*>(buffer.data()), &size);
    for (const wchar_t* p = buffer.data(); *p; p += lstrlenW(p) + 1) {
      const int n = WideCharToMultiByte(CP_ACP, 0, p, -1, nullptr, 0, nullptr, nullptr);
      std::string entry(n > 0 ? n - 1 : 0, '\0');
      if (n > 1) WideCharToMultiByte(CP_ACP, 0, p, -1, entry.data(), n, nullptr, nullptr);
      SpokenText t{};
      const size_t bar = entry.find('|');
      if (bar == std::string::npos) continue;
      if (sscanf(entry.c_str(), "%ld %ld %ld", &t.pitch, &t.rate, &t.volume) != 3) continue;
      t.plain = entry.substr(bar + 1);
      spoken.push_back(t);
    }
  }
  RegCloseKey(key);
  return spoken;
}

}  // namespace sapistandin
