#include "configurator/pages/installing_page.h"

#include "configurator/loader_install.h"
#include "configurator/main_window.h"
#include "configurator/resource.h"
#include "configurator/wine_voices.h"

namespace {

class InstallingPage final : public ConfigPage {
 public:
  explicit InstallingPage(TfmTCfgMain& window) : ConfigPage(window, "tsPageSetup", IDD_tsPageSetup) {}

  void Create() override {
    StretchToBottom(Item(IDC_meInstMessages));
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    SendMessageW(Item(IDC_sbLngEng), BM_SETIMAGE, IMAGE_BITMAP,
                 reinterpret_cast<LPARAM>(LoadImageW(instance, MAKEINTRESOURCEW(IDB_FLAG_ENG), IMAGE_BITMAP, 0, 0, 0)));
    SendMessageW(Item(IDC_sbLngRus), BM_SETIMAGE, IMAGE_BITMAP,
                 reinterpret_cast<LPARAM>(LoadImageW(instance, MAKEINTRESOURCEW(IDB_FLAG_RUS), IMAGE_BITMAP, 0, 0, 0)));
  }

  // Exactly one flag button is down.
  void Load(const ConfiguratorSettings& s) override {
    const bool english = LanguageOf(s.LangIndex) != 0;
    SendMessageW(Item(IDC_sbLngEng), BM_SETCHECK, english ? BST_CHECKED : BST_UNCHECKED, 0);
    SendMessageW(Item(IDC_sbLngRus), BM_SETCHECK, english ? BST_UNCHECKED : BST_CHECKED, 0);
  }

  void Store(ConfiguratorSettings& s) const override {
    s.LangIndex = SendMessageW(Item(IDC_sbLngRus), BM_GETCHECK, 0, 0) == BST_CHECKED ? 0 : 1;
  }

  // Both install buttons start disabled; the state enables one of them.
  void Start() override {
    EnableWindow(Item(GetInstallState(window.gameDir) <= NotInstalled ? IDC_bInstall : IDC_bUnInstall), TRUE);
    ReportInstallState();
  }

  // Without a module loader the game folder gets the plug-in and its
  // settings themselves.
  void Close() override {
    if (GetInstallState(window.gameDir) == LoaderNotFound) CopyPluginToGame(window.gameDir, window.exeDir);
  }

  INT_PTR DialogProc(UINT message, WPARAM wParam, LPARAM) override {
    if (message != WM_COMMAND) return FALSE;
    if (HIWORD(wParam) != BN_CLICKED) return TRUE;
    switch (LOWORD(wParam)) {
      case IDC_sbLngEng:
      case IDC_sbLngRus:  // sbLngRusClick: the language follows the button that is down
        FormToSettings(window);
        SettingsToForm(window);
        break;
      case IDC_bInstall:
        bInstallClick();
        break;
      case IDC_bUnInstall:
        bUnInstallClick();
        break;
    }
    return TRUE;
  }

 private:
  std::string Text(const char* key) const { return window.Localized(window.currentLang, key); }

  // One line "[hh:nn:ss] text" at the end of the install log.
  void AddInstallMessage(const std::string& text) {
    SYSTEMTIME now;
    GetLocalTime(&now);
    wchar_t stamp[16];
    wsprintfW(stamp, L"[%02u:%02u:%02u] ", now.wHour, now.wMinute, now.wSecond);
    HWND log = Item(IDC_meInstMessages);
    const std::wstring line = (GetWindowTextLengthW(log) > 0 ? L"\r\n" : L"") + (stamp + FromTable(text));
    const int end = GetWindowTextLengthW(log);
    SendMessageW(log, EM_SETSEL, end, end);
    SendMessageW(log, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(line.c_str()));
  }

  void ReportInstallState() {
    static constexpr const char* StateText[] = {"TMNOTINST", "MLNOTFOUND", "INSTTOMLDR"};
    AddInstallMessage(Text(StateText[GetInstallState(window.gameDir)]));
    if (!LoaderHasTarget(window.gameDir)) AddInstallMessage(Text("MLNOTINST"));
  }

  void bInstallClick() {
    InstallIntoLoader(window.gameDir, window.exeDir, Text("MldrLirraDesc"));
    if (GetInstallState(window.gameDir) > NotInstalled) {
      EnableWindow(Item(IDC_bInstall), FALSE);
      EnableWindow(Item(IDC_bUnInstall), TRUE);
    }
    ReportInstallState();
    ReportWineVoices(InstallWineVoices(window.exeDir));
  }

  // The voices' lines in the log; the pages show the voices as they are now.
  void ReportWineVoices(const std::vector<const char*>& lines) {
    for (const char* line : lines) AddInstallMessage(Text(line));
    if (lines.empty()) return;
    for (const auto& page : window.pages) page->VoicesChanged();
  }

  void bUnInstallClick() {
    RemoveFromLoader(window.gameDir);
    if (GetInstallState(window.gameDir) < LoaderNotFound) {
      EnableWindow(Item(IDC_bInstall), TRUE);
      EnableWindow(Item(IDC_bUnInstall), FALSE);
    }
    ReportInstallState();
    ReportWineVoices(RemoveWineVoices());
  }
};

}  // namespace

std::unique_ptr<ConfigPage> MakeInstallingPage(TfmTCfgMain& window) {
  return std::make_unique<InstallingPage>(window);
}
