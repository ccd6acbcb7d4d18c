#include "configurator/main_window.h"

#include <commctrl.h>

#include "common/settings_keys.h"
#include "configurator/application_window.h"
#include "configurator/game_folder_dialog.h"
#include "configurator/loader_install.h"
#include "configurator/pages/filters_page.h"
#include "configurator/pages/information_page.h"
#include "configurator/pages/installing_page.h"
#include "configurator/pages/names_page.h"
#include "configurator/pages/parameters_page.h"
#include "configurator/pages/testing_page.h"
#include "configurator/pages/voices_page.h"
#include "configurator/resource.h"

namespace {

constexpr int ClientWidth = 452;
constexpr int ClientHeight = 266;
constexpr int PageSetup = 4;  // INSTALLING, shown at start

TfmTCfgMain* fmTCfgMain = nullptr;

// Every control of the window by its name, the text table's key for it:
// one row per IDC_ id of resource.h, listed by the build (CMakeLists.txt).
struct NamedControl {
  const char* name;
  int id;
};
constexpr NamedControl ControlNames[] = {
#define CONTROL_NAME(name) {#name, IDC_##name},
#include "control_names.inc"
#undef CONTROL_NAME
};

// Labels and buttons show an entry's text; the lists and the help view get
// their items and their document from the pages.
bool TakesCaption(HWND control) {
  wchar_t type[16] = {};
  GetClassNameW(control, type, 16);
  return lstrcmpiW(type, L"Static") == 0 || lstrcmpiW(type, L"Button") == 0;
}

void SetCaption(TfmTCfgMain& w, const std::string& name, const std::wstring& text) {
  for (size_t i = 0; i < w.pages.size(); ++i)
    if (lstrcmpiA(name.c_str(), w.pages[i]->name) == 0)
      return SetTabCaption(GetDlgItem(w.hwnd, IDC_pcMainPageCtrl), static_cast<int>(i), text);
  for (const NamedControl& c : ControlNames)
    if (lstrcmpiA(name.c_str(), c.name) == 0) {
      HWND control = FindControl(w.hwnd, c.id);
      if (control && TakesCaption(control)) SetWindowTextW(control, text.c_str());
      return;
    }
  for (auto& page : w.pages)
    if (page->SetCaption(name, text)) return;
}

void ApplyLanguage(TfmTCfgMain& w, int lang) {
  // Every entry of the language that names a tab, a label or a button;
  // entries for the window, the lists, the help and the messages name none.
  for (const LocalizeEntry& e : w.localizeTable) {
    const size_t mark = e.name.find('_');
    if (mark == std::string::npos || ParseIntValue(e.name.substr(0, mark), -1) != lang) continue;
    SetCaption(w, e.name.substr(mark + 1), FromTable(e.value));
  }
  SetWindowTextW(w.hwnd, FromTable(w.Localized(lang, "fmTCfgMain")).c_str());
  for (auto& page : w.pages) page->ApplyLanguage(lang);
  w.currentLang = lang;
}

// The folder the settings name, or the configurator's own, and upwards;
// failing that, the player's choice.
void FindGameDirectory(TfmTCfgMain& w) {
  w.gameDir = WalkToGameDirectory(w.settings.GameInstDir.empty() ? w.exeDir : w.settings.GameInstDir);
  if (w.gameDir.empty())
    w.gameDir =
        AskForGameDirectory(w.hwnd, FromTable(w.Localized(LanguageOf(w.settings.LangIndex), "odOpenGameInst")));
}

INT_PTR CALLBACK PageProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    SetWindowLongPtrW(dialog, DWLP_USER, lParam);
    return FALSE;
  }
  auto* page = reinterpret_cast<ConfigPage*>(GetWindowLongPtrW(dialog, DWLP_USER));
  return page ? page->DialogProc(message, wParam, lParam) : FALSE;
}

void BuildPages(TfmTCfgMain& w) {
  w.pages = {MakeVoicesPage(w),  MakeFiltersPage(w),    MakeParametersPage(w),
             MakeTestingPage(w), MakeInstallingPage(w), MakeInformationPage(w),
             MakeNamesPage(w)};
  HWND tabs = GetDlgItem(w.hwnd, IDC_pcMainPageCtrl);
  MoveWindow(tabs, 0, 0, ClientWidth, ClientHeight, FALSE);
  // Seven captions in both languages fit the window's width in one row only
  // with narrow padding; the default one scrolls the first tabs out of view.
  SendMessageW(tabs, TCM_SETPADDING, 0, MAKELPARAM(3, 3));
  for (size_t i = 0; i < w.pages.size(); ++i) {
    ConfigPage& page = *w.pages[i];
    AddTab(tabs, static_cast<int>(i));
    page.hwnd = CreatePage(w.hwnd, page.dialog, PageProc, reinterpret_cast<LPARAM>(&page));
  }
  // Tab headers first: they decide the page area.
  for (auto& page : w.pages) PlaceInTab(tabs, page->hwnd);
}

void ShowPage(TfmTCfgMain& w, int index) {
  HWND pages[std::tuple_size_v<decltype(w.pages)>];
  for (size_t i = 0; i < w.pages.size(); ++i) pages[i] = w.pages[i]->hwnd;
  ShowTab(GetDlgItem(w.hwnd, IDC_pcMainPageCtrl), pages, static_cast<int>(w.pages.size()), index);
}

void SetClientSize(HWND window) {
  RECT frame{0, 0, ClientWidth, ClientHeight};
  AdjustWindowRectEx(&frame, GetWindowLongW(window, GWL_STYLE), FALSE, GetWindowLongW(window, GWL_EXSTYLE));
  const int width = frame.right - frame.left, height = frame.bottom - frame.top;
  RECT work;
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  SetWindowPos(window, nullptr, work.left + (work.right - work.left - width) / 2,
               work.top + (work.bottom - work.top - height) / 2, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
}

void FormCreate(TfmTCfgMain& w) {
  SetClientSize(w.hwnd);
  BuildPages(w);
  w.TestVoice.Init(Speakers, 0);
  for (auto& page : w.pages) page->Create();

  LoadSettings(w.settings, w.settingsIni, w.exeName);
  FindGameDirectory(w);
  SettingsToForm(w);
  for (auto& page : w.pages) page->Start();
  ShowPage(w, PageSetup);
}

// False when the file could not be written: the window stays open and a
// later close tries again.
bool FormClose(TfmTCfgMain& w) {
  FormToSettings(w);
  w.settings.GameInstDir = w.gameDir;
  w.settings.ConfigAppName = w.exeName;
  if (!SaveSettings(w.settings, w.settingsIni)) {
    ReportUnwritable(w, w.settingsIni);
    return false;
  }
  for (auto& page : w.pages)
    if (!page->Save()) return false;
  w.TestVoice.Release();
  for (auto& page : w.pages) page->Close();
  return true;
}

INT_PTR CALLBACK MainProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  TfmTCfgMain& w = *fmTCfgMain;
  switch (message) {
    case WM_SYSCOMMAND:
      // Minimised through the application's window, which the task bar
      // shows; the main window goes and comes back with it.
      if ((wParam & 0xFFF0) == SC_MINIMIZE) {
        ShowWindow(GetWindow(window, GW_OWNER), SW_MINIMIZE);
        ShowWindow(window, SW_HIDE);
        SetWindowLongPtrW(window, DWLP_MSGRESULT, 0);
        return TRUE;
      }
      break;
    case WM_INITDIALOG:
      w.hwnd = window;
      SetApplicationMainWindow(GetWindow(window, GW_OWNER), window);
      FormCreate(w);
      return FALSE;
    case WM_NOTIFY: {
      // A click on a tab shows its page.
      const auto* from = reinterpret_cast<const NMHDR*>(lParam);
      if (from->code != TCN_SELCHANGE || from->idFrom != IDC_pcMainPageCtrl) return FALSE;
      ShowPage(w, static_cast<int>(SendMessageW(from->hwndFrom, TCM_GETCURSEL, 0, 0)));
      return TRUE;
    }
    case WM_CLOSE:
      if (FormClose(w)) DestroyWindow(window);
      return TRUE;
    case WM_DESTROY:
      PostQuitMessage(0);
      return TRUE;
  }
  return FALSE;
}

}  // namespace

void ReportUnwritable(const TfmTCfgMain& w, const std::string& path) {
  wchar_t message[400];
  wchar_t widePath[MAX_PATH];
  MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, widePath, MAX_PATH);
  wsprintfW(message, L"Unable to write to %s", widePath);
  MessageBoxW(w.hwnd, message, L"Quorrim", MB_OK | MB_ICONERROR);
}

void SettingsToForm(TfmTCfgMain& w) {
  // The language first: it replaces the items of the lists, and what is
  // chosen in them is set after it.
  ApplyLanguage(w, LanguageOf(w.settings.LangIndex));
  for (auto& page : w.pages) page->Load(w.settings);
}

void FormToSettings(TfmTCfgMain& w) {
  for (auto& page : w.pages) page->Store(w.settings);
}

HWND CreateMainWindow(HINSTANCE instance) {
  fmTCfgMain = new TfmTCfgMain;
  TfmTCfgMain& w = *fmTCfgMain;
  char path[261];
  GetModuleFileNameA(nullptr, path, sizeof path);
  std::string module = path;
  const size_t cut = module.find_last_of("\\:");
  w.exeDir = module.substr(0, cut + 1);
  w.exeName = module.substr(cut + 1);
  w.settings = {};
  w.settingsIni = w.exeDir + settings_file::FileName;
  w.localizeTable = LoadLocalizeTable(instance);
  UnpackEmbeddedPlugin(w.exeDir);

  WNDCLASSEXW windowClass{};
  GetClassInfoExW(nullptr, L"#32770", &windowClass);  // a dialog, under the window's own class name
  windowClass.cbSize = sizeof windowClass;
  windowClass.hInstance = instance;
  windowClass.lpszClassName = L"TfmTCfgMain";
  const HICON icon = LoadIconW(instance, MAKEINTRESOURCEW(IDI_SETHRIM));
  windowClass.hIcon = icon;
  windowClass.hIconSm = static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(IDI_SETHRIM), IMAGE_ICON,
                                                      GetSystemMetrics(SM_CXSMICON),
                                                      GetSystemMetrics(SM_CYSMICON), 0));
  RegisterClassExW(&windowClass);
  HWND application = CreateApplicationWindow(instance, icon);
  ShowWindow(application, SW_SHOWNA);
  return CreateDialogParamW(instance, MAKEINTRESOURCEW(IDD_fmTCfgMain), application, MainProc, 0);
}
