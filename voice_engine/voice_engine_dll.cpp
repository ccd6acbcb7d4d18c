// QuorrimVoice.dll's COM entry points: the class factory of the engine and
// its registration with the four voice tokens.
#include <windows.h>

#include <new>
#include <string>

#include "voice_engine/quorrim_voice.h"
#include "voice_engine/tts_engine.h"

namespace {

HMODULE ThisModule = nullptr;
LONG Locks = 0;

class Factory final : public IClassFactory {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (!out) return E_POINTER;
    if (iid != IID_IUnknown && iid != IID_IClassFactory) return *out = nullptr, E_NOINTERFACE;
    *out = this;
    AddRef();
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(InterlockedIncrement(&refs_)); }
  ULONG STDMETHODCALLTYPE Release() override {
    const LONG r = InterlockedDecrement(&refs_);
    if (r == 0) delete this;
    return static_cast<ULONG>(r);
  }
  HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** out) override {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (outer) return CLASS_E_NOAGGREGATION;
    IUnknown* engine = CreateQuorrimVoiceEngine();
    if (!engine) return E_OUTOFMEMORY;
    const HRESULT hr = engine->QueryInterface(iid, out);
    engine->Release();
    return hr;
  }
  HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override {
    lock ? InterlockedIncrement(&Locks) : InterlockedDecrement(&Locks);
    return S_OK;
  }

 private:
  LONG refs_ = 1;
};

std::wstring ClsidText() {
  wchar_t text[64];
  StringFromGUID2(CLSID_QuorrimVoice, text, 64);
  return text;
}

bool SetString(HKEY key, const wchar_t* name, const std::wstring& value) {
  return RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                        static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
}

bool RegisterClass(const std::wstring& path) {
  HKEY key = nullptr, server = nullptr;
  const std::wstring k = L"CLSID\\" + ClsidText();
  if (RegCreateKeyExW(HKEY_CLASSES_ROOT, k.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr))
    return false;
  bool ok = SetString(key, nullptr, L"Quorrim voice (espeak-ng)") &&
            RegCreateKeyExW(key, L"InprocServer32", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &server, nullptr) == 0;
  if (ok) ok = SetString(server, nullptr, path) && SetString(server, L"ThreadingModel", L"Both");
  if (server) RegCloseKey(server);
  RegCloseKey(key);
  return ok;
}

bool RegisterToken(const QuorrimVoiceToken& t) {
  const std::wstring k = std::wstring(VoiceTokensKey) + L"\\" + t.key;
  HKEY key = nullptr, attributes = nullptr;
  if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, k.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr))
    return false;
  bool ok = SetString(key, nullptr, t.description) && SetString(key, t.language, t.description) &&
            SetString(key, L"CLSID", ClsidText()) && SetString(key, EspeakVoiceValue, t.espeakVoice) &&
            RegCreateKeyExW(key, L"Attributes", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &attributes, nullptr) == 0;
  if (ok)
    ok = SetString(attributes, L"Name", t.description) && SetString(attributes, L"Gender", t.gender) &&
         SetString(attributes, L"Language", t.language) && SetString(attributes, L"Age", t.age) &&
         SetString(attributes, L"Vendor", L"Quorrim");
  if (attributes) RegCloseKey(attributes);
  RegCloseKey(key);
  return ok;
}

}  // namespace

extern "C" {

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, void*) {
  if (reason == DLL_PROCESS_ATTACH) {
    ThisModule = instance;
    DisableThreadLibraryCalls(instance);
  }
  return TRUE;
}

HRESULT WINAPI DllGetClassObject(REFCLSID clsid, REFIID iid, void** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  if (clsid != CLSID_QuorrimVoice) return CLASS_E_CLASSNOTAVAILABLE;
  auto* factory = new (std::nothrow) Factory;
  if (!factory) return E_OUTOFMEMORY;
  const HRESULT hr = factory->QueryInterface(iid, out);
  factory->Release();
  return hr;
}

HRESULT WINAPI DllCanUnloadNow() { return LiveQuorrimVoiceEngines() == 0 && Locks == 0 ? S_OK : S_FALSE; }

// The class at this very file, wherever it lies, and the four tokens.
HRESULT WINAPI DllRegisterServer() {
  wchar_t path[MAX_PATH];
  if (!GetModuleFileNameW(ThisModule, path, MAX_PATH)) return E_FAIL;
  if (!RegisterClass(path)) return E_ACCESSDENIED;
  for (const QuorrimVoiceToken& t : QuorrimVoiceTokens)
    if (!RegisterToken(t)) return E_ACCESSDENIED;
  return S_OK;
}

HRESULT WINAPI DllUnregisterServer() {
  for (const QuorrimVoiceToken& t : QuorrimVoiceTokens)
    RegDeleteTreeW(HKEY_LOCAL_MACHINE, (std::wstring(VoiceTokensKey) + L"\\" + t.key).c_str());
  RegDeleteTreeW(HKEY_CLASSES_ROOT, (L"CLSID\\" + ClsidText()).c_str());
  return S_OK;
}

}  // extern "C"
