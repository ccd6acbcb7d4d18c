#include "configurator/pages/information_page.h"

#include <richedit.h>

#include "configurator/help_view.h"
#include "configurator/key_names.h"
#include "configurator/main_window.h"
#include "configurator/resource.h"

namespace {

class InformationPage final : public ConfigPage {
 public:
  explicit InformationPage(TfmTCfgMain& window) : ConfigPage(window, "tsPageAbout", IDD_tsPageAbout) {}

  // The help view exists only with its library.
  void Create() override {
    if (LoadLibraryA("riched20.dll")) {
      RECT area;
      GetClientRect(hwnd, &area);
      HWND help = CreateWindowExW(WS_EX_CLIENTEDGE, RICHEDIT_CLASSW, L"",
                                  WS_CHILD | WS_VISIBLE | WS_VSCROLL | ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL,
                                  2, 2, area.right - 4, area.bottom - 4, hwnd, reinterpret_cast<HMENU>(IDC_reHelpInfo),
                                  GetModuleHandleW(nullptr), nullptr);
      if (help) InstallHelpViewWindowProc(help);
    }
    HWND keys = Item(IDC_cbVKeysList);
    for (const char* name : KeyNameTable) SendMessageA(keys, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name));
  }

  void ApplyLanguage(int lang) override {
    if (HWND help = Item(IDC_reHelpInfo)) {
      SetWindowTextW(help, L"");
      StreamRtfText(help, window.Localized(lang, "reHelpInfo"));
    }
  }
};

}  // namespace

std::unique_ptr<ConfigPage> MakeInformationPage(TfmTCfgMain& window) {
  return std::make_unique<InformationPage>(window);
}
