// A memory stream of 44 100 Hz, 16-bit mono PCM that ISpVoice::SetOutput
// takes (ISpStreamFormat), for a SAPI that has no SpMemoryStream or
// SpAudioFormat class of its own (Wine's).  It grows as SAPI writes; a
// rewind keeps the bytes, as SpMemoryStream does.
#pragma once
#include <windows.h>
#include <sapi.h>

#include <cstdint>

class WaveMemoryStream final : public ISpStreamFormat {
 public:
  static WaveMemoryStream* Create();  // one reference, or null

  // The bytes and the current position (what the last render wrote when it
  // began at 0).
  const uint8_t* Bytes() const { return bytes_; }
  uint32_t Position() const { return position_; }
  void Rewind() { position_ = 0; }

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;
  HRESULT STDMETHODCALLTYPE Read(void* into, ULONG size, ULONG* read) override;
  HRESULT STDMETHODCALLTYPE Write(const void* from, ULONG size, ULONG* written) override;
  HRESULT STDMETHODCALLTYPE Seek(LARGE_INTEGER move, DWORD origin, ULARGE_INTEGER* position) override;
  HRESULT STDMETHODCALLTYPE SetSize(ULARGE_INTEGER size) override;
  HRESULT STDMETHODCALLTYPE CopyTo(IStream*, ULARGE_INTEGER, ULARGE_INTEGER*, ULARGE_INTEGER*) override;
  HRESULT STDMETHODCALLTYPE Commit(DWORD) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE Revert() override { return S_OK; }
  HRESULT STDMETHODCALLTYPE LockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) override { return STG_E_INVALIDFUNCTION; }
  HRESULT STDMETHODCALLTYPE UnlockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) override {
    return STG_E_INVALIDFUNCTION;
  }
  HRESULT STDMETHODCALLTYPE Stat(STATSTG* stat, DWORD flags) override;
  HRESULT STDMETHODCALLTYPE Clone(IStream** out) override;
  HRESULT STDMETHODCALLTYPE GetFormat(GUID* formatId, WAVEFORMATEX** format) override;

 private:
  WaveMemoryStream() = default;
  ~WaveMemoryStream();
  bool Reserve(uint64_t size);

  LONG refs_ = 1;
  uint8_t* bytes_ = nullptr;
  uint32_t size_ = 0, capacity_ = 0, position_ = 0;
};

// SAPI's SPDFID_WaveFormatEx: the format id of a stream described by a
// WAVEFORMATEX.
extern const GUID WaveFormatExFormatId;
