// The stand-in's side of its Refuse... switches (sapi_standin_control.h)
// and of writing into a stream that is not its own (an ISpStreamFormat
// handed over through ISpVoice::SetOutput).
#pragma once
#include <windows.h>
#include <sapi.h>

#include <string>

#include "sapi_standin_control.h"

namespace sapistandin {

inline bool Refused(const char* name) { return ReadNumber(name, 0) != 0; }

inline bool ClassRefused(REFCLSID clsid) {
  return (clsid == CLSID_SpMemoryStream && Refused("RefuseMemoryStream")) ||
         (clsid == CLSID_SpAudioFormat && Refused("RefuseAudioFormat"));
}

// What SAPI would read as markup: a text that begins with '<' (after
// blanks), or any text with SVSFIsXML; SVSFIsNotXML wins.  Reading markup as
// text refuses only SVSFIsXML.
inline bool MarkupRefused(const std::wstring& text, long flags) {
  if (flags & SVSFIsNotXML) return false;
  if ((flags & SVSFIsXML) && Refused("ReadMarkupAsText")) return true;
  if (!Refused("RefuseMarkup")) return false;
  const size_t start = text.find_first_not_of(L" \t\r\n");
  return (flags & SVSFIsXML) || (start != std::wstring::npos && text[start] == L'<');
}

// The flags the text is parsed with: reading markup as text, a text not
// marked as markup is plain, whatever it begins with.
inline long ParseFlags(long flags) {
  return !(flags & SVSFIsXML) && Refused("ReadMarkupAsText") ? flags | SVSFIsNotXML : flags;
}

// A new reference to the stream's ISpStreamFormat, or null.
inline ISpStreamFormat* ForeignStream(IUnknown* stream) {
  ISpStreamFormat* format = nullptr;
  if (!stream || FAILED(stream->QueryInterface(IID_ISpStreamFormat, reinterpret_cast<void**>(&format)))) return nullptr;
  return format;
}

inline bool TakesForeign(IUnknown* stream) {
  ISpStreamFormat* format = ForeignStream(stream);
  if (format) format->Release();
  return format != nullptr;
}

// The PCM format the stream asks for (a WAVEFORMATEX), else `otherwise`.
template <class Pcm>
Pcm ForeignFormat(ISpStreamFormat* stream, Pcm otherwise) {
  GUID id{};
  WAVEFORMATEX* wave = nullptr;
  if (SUCCEEDED(stream->GetFormat(&id, &wave)) && wave && wave->wFormatTag == WAVE_FORMAT_PCM) {
    otherwise.rate = static_cast<int>(wave->nSamplesPerSec);
    otherwise.bits = wave->wBitsPerSample;
    otherwise.channels = wave->nChannels;
  }
  if (wave) CoTaskMemFree(wave);
  return otherwise;
}

}  // namespace sapistandin
