#include "configurator/help_view.h"

#include <ole2.h>
#include <richedit.h>
#include <richole.h>

#include <algorithm>

namespace {

// The OLE callback of the help view, and the source of the text being
// streamed in.  One static object, never freed.
class HelpOleCallback final : public IRichEditOleCallback {
 public:
  STDMETHODIMP QueryInterface(REFIID, void** out) override {
    *out = nullptr;
    return E_NOINTERFACE;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return ++references_; }
  STDMETHODIMP_(ULONG) Release() override { return --references_; }

  // Embedded pictures of the document need a storage to live in.
  STDMETHODIMP GetNewStorage(IStorage** storage) override {
    ILockBytes* bytes = nullptr;
    if (FAILED(CreateILockBytesOnHGlobal(nullptr, TRUE, &bytes)) || !bytes) return E_OUTOFMEMORY;
    const HRESULT result = StgCreateDocfileOnILockBytes(
        bytes, STGM_CREATE | STGM_READWRITE | STGM_SHARE_EXCLUSIVE, 0, storage);
    bytes->Release();
    return result;
  }
  STDMETHODIMP GetInPlaceContext(IOleInPlaceFrame**, IOleInPlaceUIWindow**, OLEINPLACEFRAMEINFO*) override {
    return E_INVALIDARG;
  }
  STDMETHODIMP ShowContainerUI(BOOL) override { return S_OK; }
  STDMETHODIMP QueryInsertObject(CLSID*, IStorage*, LONG) override { return S_OK; }
  STDMETHODIMP DeleteObject(IOleObject*) override { return S_OK; }
  STDMETHODIMP QueryAcceptData(IDataObject*, CLIPFORMAT*, DWORD, BOOL, HGLOBAL) override { return S_OK; }
  STDMETHODIMP ContextSensitiveHelp(BOOL) override { return S_OK; }
  // No data object and no menu leave this view.
  STDMETHODIMP GetClipboardData(CHARRANGE*, DWORD, IDataObject** data) override {
    if (data) *data = nullptr;
    return E_NOTIMPL;
  }
  STDMETHODIMP GetDragDropEffect(BOOL, DWORD, DWORD*) override { return S_OK; }
  STDMETHODIMP GetContextMenu(WORD, IOleObject*, CHARRANGE*, HMENU* menu) override {
    if (menu) *menu = nullptr;
    return S_OK;
  }

  const char* read = nullptr;
  LONG left = 0;

 private:
  ULONG references_ = 0;
};

HelpOleCallback Callback;
WNDPROC PreviousHelpViewProc = nullptr;

DWORD CALLBACK ReadRtf(DWORD_PTR, LPBYTE buffer, LONG wanted, LONG* given) {
  if (Callback.left <= 0) {
    *given = 0;
    return 1;
  }
  const LONG n = std::min(wanted, Callback.left);
  CopyMemory(buffer, Callback.read, n);
  Callback.read += n;
  Callback.left -= n;
  *given = n;
  return 0;
}

LRESULT CALLBACK HelpViewWindowProc(HWND view, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDOWN:
      SetFocus(view);
      CallWindowProcW(PreviousHelpViewProc, view, EM_SETSEL, 0, 0);
      return 0;
  }
  return CallWindowProcW(PreviousHelpViewProc, view, message, wParam, lParam);
}

}  // namespace

int StreamRtfText(HWND view, const std::string& text) {
  if (!LoadLibraryA("riched20.dll")) return RtfLibraryMissing;
  if (!SendMessageW(view, EM_SETOLECALLBACK, 0, reinterpret_cast<LPARAM>(&Callback))) return RtfCallbackRefused;
  Callback.read = text.c_str();
  Callback.left = static_cast<LONG>(text.size() + 1);
  EDITSTREAM stream{0, 0, ReadRtf};
  SendMessageW(view, EM_STREAMIN, SF_RTF, reinterpret_cast<LPARAM>(&stream));
  return RtfShown;
}

void InstallHelpViewWindowProc(HWND view) {
  PreviousHelpViewProc = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrW(view, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(HelpViewWindowProc)));
}
