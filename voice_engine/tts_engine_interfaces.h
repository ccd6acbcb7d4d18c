// The engine side of SAPI 5 (what the SDK's sapiddk.h declares and
// mingw-w64 does not ship): the interface a voice engine implements and the
// site SAPI hands it to write into.
#pragma once
#include <windows.h>
#include <sapi.h>

// SPVESACTIONS: what GetActions asks of a speaking engine.
enum EngineActions : DWORD {
  EngineContinue = 0,
  EngineAbort = 1,
  EngineSkip = 2,
  EngineRateChanged = 4,
  EngineVolumeChanged = 8,
};

struct SPVTEXTFRAG {
  SPVTEXTFRAG* pNext;
  SPVSTATE State;
  LPCWSTR pTextStart;
  ULONG ulTextLen;
  ULONG ulTextSrcOffset;
};

// {9880499B-CCE9-11D2-B503-00C04F797396}
struct ISpTTSEngineSite : public ISpEventSink {
  virtual DWORD STDMETHODCALLTYPE GetActions() = 0;
  virtual HRESULT STDMETHODCALLTYPE Write(const void* buffer, ULONG size, ULONG* written) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetRate(LONG* rateAdjust) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetVolume(USHORT* volume) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetSkipInfo(DWORD* type, LONG* items) = 0;
  virtual HRESULT STDMETHODCALLTYPE CompleteSkip(LONG skipped) = 0;
};

// {A74D7C8E-4CC5-4F2F-A6EB-804DEE18500E}
struct ISpTTSEngine : public IUnknown {
  virtual HRESULT STDMETHODCALLTYPE Speak(DWORD flags, REFGUID formatId, const WAVEFORMATEX* format,
                                          const SPVTEXTFRAG* fragments, ISpTTSEngineSite* site) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetOutputFormat(const GUID* targetFormatId, const WAVEFORMATEX* targetFormat,
                                                    GUID* formatId, WAVEFORMATEX** format) = 0;
};

inline constexpr IID IID_ISpTTSEngineSiteOwn = {
    0x9880499b, 0xcce9, 0x11d2, {0xb5, 0x03, 0x00, 0xc0, 0x4f, 0x79, 0x73, 0x96}};
inline constexpr IID IID_ISpTTSEngineOwn = {
    0xa74d7c8e, 0x4cc5, 0x4f2f, {0xa6, 0xeb, 0x80, 0x4d, 0xee, 0x18, 0x50, 0x0e}};
