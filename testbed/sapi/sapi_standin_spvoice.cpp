#include "sapi_standin_spvoice.h"

#include <atomic>

namespace {

class SpVoiceOver final : public ISpVoice {
 public:
  explicit SpVoiceOver(ISpeechVoice* owner) : owner_(owner) { owner_->AddRef(); }
  ~SpVoiceOver() { owner_->Release(); }

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (!out) return E_POINTER;
    if (iid == IID_IUnknown || iid == IID_ISpVoice || iid == IID_ISpEventSource || iid == IID_ISpNotifySource) {
      *out = static_cast<ISpVoice*>(this);
      AddRef();
      return S_OK;
    }
    return owner_->QueryInterface(iid, out);
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++refs_; }
  ULONG STDMETHODCALLTYPE Release() override {
    const long r = --refs_;
    if (r == 0) delete this;
    return r;
  }

  // Null: the default device.  A stream is handed to the automation voice,
  // which writes into any ISpStreamFormat (it keeps it as its output and
  // only ever calls IUnknown on it there).
  HRESULT STDMETHODCALLTYPE SetOutput(IUnknown* output, WINBOOL) override {
    if (!output) return owner_->putref_AudioOutput(nullptr);
    ISpStreamFormat* stream = nullptr;
    if (FAILED(output->QueryInterface(IID_ISpStreamFormat, reinterpret_cast<void**>(&stream)))) return E_INVALIDARG;
    const HRESULT hr = owner_->putref_AudioOutputStream(reinterpret_cast<ISpeechBaseStream*>(stream));
    stream->Release();
    return hr;
  }
  HRESULT STDMETHODCALLTYPE Speak(LPCWSTR text, DWORD flags, ULONG* streamNumber) override {
    BSTR b = SysAllocString(text ? text : L"");
    LONG n = 0;
    // SPF_* and SVSF* flags have the same values.
    const HRESULT hr = owner_->Speak(b, static_cast<SpeechVoiceSpeakFlags>(flags), &n);
    SysFreeString(b);
    if (streamNumber) *streamNumber = static_cast<ULONG>(n);
    return hr;
  }
  HRESULT STDMETHODCALLTYPE SetRate(LONG rate) override { return owner_->put_Rate(rate); }
  HRESULT STDMETHODCALLTYPE GetRate(LONG* rate) override { return owner_->get_Rate(rate); }
  HRESULT STDMETHODCALLTYPE SetVolume(USHORT volume) override { return owner_->put_Volume(volume); }
  HRESULT STDMETHODCALLTYPE GetVolume(USHORT* volume) override {
    LONG v = 0;
    const HRESULT hr = owner_->get_Volume(&v);
    if (volume) *volume = static_cast<USHORT>(v);
    return hr;
  }
  HRESULT STDMETHODCALLTYPE WaitUntilDone(ULONG) override { return S_OK; }

  // What the voice object does not use.
  HRESULT STDMETHODCALLTYPE SetNotifySink(ISpNotifySink*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE SetNotifyWindowMessage(HWND, UINT, WPARAM, LPARAM) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE SetNotifyCallbackFunction(SPNOTIFYCALLBACK*, WPARAM, LPARAM) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE SetNotifyCallbackInterface(ISpNotifyCallback*, WPARAM, LPARAM) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE SetNotifyWin32Event() override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE WaitForNotifyEvent(DWORD) override { return E_NOTIMPL; }
  HANDLE STDMETHODCALLTYPE GetNotifyEventHandle() override { return nullptr; }
  HRESULT STDMETHODCALLTYPE SetInterest(ULONGLONG, ULONGLONG) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE GetEvents(ULONG, SPEVENT*, ULONG* fetched) override {
    if (fetched) *fetched = 0;
    return S_FALSE;
  }
  HRESULT STDMETHODCALLTYPE GetInfo(SPEVENTSOURCEINFO*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetOutputObjectToken(ISpObjectToken**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetOutputStream(ISpStreamFormat**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE Pause() override { return S_OK; }
  HRESULT STDMETHODCALLTYPE Resume() override { return S_OK; }
  HRESULT STDMETHODCALLTYPE SetVoice(ISpObjectToken*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetVoice(ISpObjectToken**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE SpeakStream(IStream*, DWORD, ULONG*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetStatus(SPVOICESTATUS*, LPWSTR*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE Skip(LPCWSTR, LONG, ULONG* skipped) override {
    if (skipped) *skipped = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE SetPriority(SPVPRIORITY) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE GetPriority(SPVPRIORITY* p) override {
    if (p) *p = SPVPRI_NORMAL;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE SetAlertBoundary(SPEVENTENUM) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE GetAlertBoundary(SPEVENTENUM* b) override {
    if (b) *b = SPEI_PHONEME;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE SetSyncSpeakTimeout(ULONG) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE GetSyncSpeakTimeout(ULONG* t) override {
    if (t) *t = 10000;
    return S_OK;
  }
  HANDLE STDMETHODCALLTYPE SpeakCompleteEvent() override { return nullptr; }
  HRESULT STDMETHODCALLTYPE IsUISupported(LPCWSTR, void*, ULONG, WINBOOL* s) override {
    if (s) *s = FALSE;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE DisplayUI(HWND, LPCWSTR, LPCWSTR, void*, ULONG) override { return E_NOTIMPL; }

 private:
  ISpeechVoice* owner_;
  std::atomic<long> refs_{1};
};

}  // namespace

ISpVoice* MakeSpVoiceOver(ISpeechVoice* owner) { return owner ? new SpVoiceOver(owner) : nullptr; }
