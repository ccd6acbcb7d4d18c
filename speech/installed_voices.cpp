#include "speech/installed_voices.h"

#include <windows.h>
#include <sapi.h>

#include "speech/sapi_fallback.h"

namespace {

void Narrow(const wchar_t* text, char* out, int size) {
  if (!text || WideCharToMultiByte(CP_ACP, 0, text, -1, out, size, nullptr, nullptr) == 0) {
    // Too long for the field: cut, as every text of the plug-in is.
    if (text && GetLastError() == ERROR_INSUFFICIENT_BUFFER) {
      WideCharToMultiByte(CP_ACP, 0, text, size - 1, out, size - 1, nullptr, nullptr);
      out[size - 1] = 0;
      return;
    }
    out[0] = 0;
  }
}

void AddVoice(InstalledVoiceList& list, const wchar_t* description, const wchar_t* gender) {
  if (list.count >= InstalledVoicesMax) return;
  InstalledVoiceEntry& entry = list.voices[list.count];
  Narrow(description, entry.description, sizeof entry.description);
  Narrow(gender, entry.gender, sizeof entry.gender);
  if (entry.description[0]) ++list.count;
}

}  // namespace

int32_t ListInstalledVoices(InstalledVoiceList& list) {
  list.count = 0;
  CoInitializeEx(nullptr, COINIT_MULTITHREADED | COINIT_SPEED_OVER_MEMORY);
  ISpeechVoice* lister = nullptr;
  if (FAILED(CoCreateInstance(CLSID_SpVoice, nullptr, CLSCTX_ALL, IID_ISpeechVoice,
                              reinterpret_cast<void**>(&lister))) ||
      !lister)
    return 1;
  BSTR empty = SysAllocString(L"");
  BSTR genderName = SysAllocString(L"Gender");
  ISpeechObjectTokens* tokens = nullptr;
  LONG total = 0;
  if (SUCCEEDED(lister->GetVoices(empty, empty, &tokens)) && tokens && FAILED(tokens->get_Count(&total))) total = 0;
  bool walked = total == 0;
  for (LONG i = 0; i < total && list.count < InstalledVoicesMax; ++i) {
    ISpeechObjectToken* token = nullptr;
    if (FAILED(tokens->Item(i, &token)) || !token) continue;
    walked = true;
    BSTR description = nullptr, gender = nullptr;
    if (SUCCEEDED(token->GetDescription(0, &description)) && description) {
      // A token without the attribute answers with an error; its voice then
      // belongs to no gender.
      if (FAILED(token->GetAttribute(genderName, &gender))) gender = nullptr;
      AddVoice(list, description, gender);
    }
    SysFreeString(description);
    SysFreeString(gender);
    token->Release();
  }
  if (tokens) tokens->Release();
  // No list, or one whose tokens cannot be reached (Wine's SAPI): the
  // token category has the same voices.
  if (!tokens || !walked)
    VisitCategoryVoices(
        [](void* context, const wchar_t* description, const wchar_t* gender) {
          AddVoice(*static_cast<InstalledVoiceList*>(context), description, gender);
        },
        &list);
  SysFreeString(genderName);
  SysFreeString(empty);
  lister->Release();
  return 0;
}
