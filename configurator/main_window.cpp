#include "configurator/main_window.h"

#include <commctrl.h>
#include <commdlg.h>
#include <richedit.h>
#include <uxtheme.h>

#include <algorithm>
#include <vector>

#include "common/settings_keys.h"
#include "common/voice_config.h"
#include "configurator/help_view.h"
#include "configurator/key_names.h"
#include "configurator/loader_install.h"
#include "configurator/resource.h"
#include "configurator/test_strings.h"

namespace {

constexpr int ClientWidth = 452;
constexpr int ClientHeight = 266;
constexpr UINT Cp1251 = 1251;  // the text table's code page, whatever the system's is

TfmTCfgMain* fmTCfgMain = nullptr;

struct Page {
  const char* name;
  int dialog;
};
constexpr Page Pages[6] = {{"tsPageVoices", IDD_tsPageVoices},     {"tsPageFilter", IDD_tsPageFilter},
                           {"tsPageSettings", IDD_tsPageSettings}, {"tsPageTest", IDD_tsPageTest},
                           {"tsPageSetup", IDD_tsPageSetup},       {"tsPageAbout", IDD_tsPageAbout}};
constexpr int PageSetup = 4;
constexpr Page VoiceTabs[4] = {{"tsVDlgMale", IDD_tsVDlgMale},
                               {"tsVDlgFemale", IDD_tsVDlgFemale},
                               {"tsVDlgCreature", IDD_tsVDlgCreature},
                               {"tsVoiceDoc", IDD_tsVoiceDoc}};

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
// their items and their document in ApplyLanguage.
bool TakesCaption(HWND control) {
  wchar_t type[16] = {};
  GetClassNameW(control, type, 16);
  return lstrcmpiW(type, L"Static") == 0 || lstrcmpiW(type, L"Button") == 0;
}

struct VoiceControls {
  int list, pitch, rate, volume;
};
constexpr VoiceControls VoiceBinding[VoiceKindCount] = {
    {IDC_cbVoiceDoc, IDC_tbVDocPitch, IDC_tbVDocRate, IDC_tbVDocVolume},
    {IDC_cbVDlgMale, IDC_tbVDlgPitchMale, IDC_tbVDlgRateMale, IDC_tbVDlgVolumeMale},
    {IDC_cbVDlgFemale, IDC_tbVDlgPitchFemale, IDC_tbVDlgRateFemale, IDC_tbVDlgVolumeFemale},
    {IDC_cbVDlgCrea, IDC_tbVDlgPitchCrea, IDC_tbVDlgRateCrea, IDC_tbVDlgVolumeCrea},
};
// Document, creature, male, female: the order the lists and sliders are set.
constexpr VoiceKind ShowOrder[VoiceKindCount] = {VoiceDocument, VoiceCreature, VoiceMale, VoiceFemale};

// The FILTERS sliders top to bottom; race = index in RaceConfig order, or
// a base pitch.
enum { BaseMale = -1, BaseFemale = -2, BaseCreature = -3 };
struct FilterSlider {
  int id;
  int race;
};
constexpr FilterSlider FilterSliders[13] = {
    {IDC_tbBasePitchMale, BaseMale}, {IDC_tbBasePitchFemale, BaseFemale}, {IDC_tbBasePitchCreature, BaseCreature},
    {IDC_tbVPOrc, 0},      {IDC_tbVPBreton, 2},   {IDC_tbVPKhajiit, 3},  {IDC_tbVPImperial, 8},
    {IDC_tbVPRedguard, 9}, {IDC_tbVPNord, 1},     {IDC_tbVPArgonian, 7}, {IDC_tbVPWoodElf, 6},
    {IDC_tbVPDarkElf, 4},  {IDC_tbVPHighElf, 5},
};
// The race list of the TESTING page names the races in the order of the
// FILTERS sliders from Orc on.
constexpr int FirstRaceSlider = 3;

constexpr int KeyCells[8] = {IDC_edKeyA_BS, IDC_edKeyB_BS, IDC_edKeyC_BS, IDC_edKeyD_BS,
                             IDC_edKeyA_ES, IDC_edKeyB_ES, IDC_edKeyC_ES, IDC_edKeyD_ES};

int16_t& PitchField(ConfiguratorSettings& s, int race) {
  switch (race) {
    case BaseMale: return s.VPBaseMale;
    case BaseFemale: return s.VPBaseFemale;
    case BaseCreature: return s.VPBaseCreature;
    default: return s.racePitch[race];
  }
}

// Russian for 0, English for every other index: the flag buttons can show
// nothing else, and what is saved is what they show.
int LanguageOf(int32_t langIndex) { return langIndex == 0 ? 0 : 1; }

std::wstring FromTable(const std::string& text) {
  if (text.empty()) return L"";
  std::wstring wide(text.size(), L'\0');
  wide.resize(MultiByteToWideChar(Cp1251, 0, text.data(), static_cast<int>(text.size()), wide.data(),
                                  static_cast<int>(wide.size())));
  return wide;
}

std::string Localized(const TfmTCfgMain& w, int lang, const char* key) {
  return GetLocalizedText(w.localizeTable, lang, key);
}

// ---- controls ---------------------------------------------------------

int SliderPosition(const TfmTCfgMain& w, int id) {
  return static_cast<int>(SendMessageW(w.Item(id), TBM_GETPOS, 0, 0));
}
void SetSliderPosition(const TfmTCfgMain& w, int id, int position) {
  SendMessageW(w.Item(id), TBM_SETPOS, TRUE, position);  // the slider clamps to its range
}
void SetupSlider(const TfmTCfgMain& w, int id, int low, int high, int tick, int position) {
  HWND slider = w.Item(id);
  SendMessageW(slider, TBM_SETRANGEMIN, FALSE, low);
  SendMessageW(slider, TBM_SETRANGEMAX, FALSE, high);
  SendMessageW(slider, TBM_SETTICFREQ, tick, 0);
  SendMessageW(slider, TBM_SETPAGESIZE, 0, tick);
  SendMessageW(slider, TBM_SETPOS, TRUE, position);
}

void FillList(HWND list, const std::string& items) {
  SendMessageW(list, CB_RESETCONTENT, 0, 0);
  for (const std::string& item : SplitLines(items))
    SendMessageW(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(FromTable(item).c_str()));
}

void FillFlags(HWND list, const std::string& items) {
  SendMessageW(list, LVM_DELETEALLITEMS, 0, 0);
  int index = 0;
  for (const std::string& item : SplitLines(items)) {
    std::wstring text = FromTable(item);
    LVITEMW entry{};
    entry.mask = LVIF_TEXT;
    entry.iItem = index++;
    entry.pszText = text.data();
    SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&entry));
  }
}

bool FlagChecked(HWND list, int item) {
  return ((SendMessageW(list, LVM_GETITEMSTATE, item, LVIS_STATEIMAGEMASK) & LVIS_STATEIMAGEMASK) >> 12) == 2;
}
void SetFlagChecked(HWND list, int item, bool checked) {
  LVITEMW state{};
  state.stateMask = LVIS_STATEIMAGEMASK;
  state.state = INDEXTOSTATEIMAGEMASK(checked ? 2 : 1);
  SendMessageW(list, LVM_SETITEMSTATE, item, reinterpret_cast<LPARAM>(&state));
}

// ---- language ---------------------------------------------------------

void SetCaption(TfmTCfgMain& w, const std::string& name, const std::wstring& text) {
  auto setTab = [&](HWND tab, int index) {
    std::wstring caption = text;
    TCITEMW item{};
    item.mask = TCIF_TEXT;
    item.pszText = caption.data();
    SendMessageW(tab, TCM_SETITEMW, index, reinterpret_cast<LPARAM>(&item));
  };
  for (int i = 0; i < 6; ++i)
    if (lstrcmpiA(name.c_str(), Pages[i].name) == 0) return setTab(w.Item(IDC_pcMainPageCtrl), i);
  for (int i = 0; i < 4; ++i)
    if (lstrcmpiA(name.c_str(), VoiceTabs[i].name) == 0) return setTab(w.Item(IDC_pcVDlgGenderPageCtrl), i);
  for (const NamedControl& c : ControlNames)
    if (lstrcmpiA(name.c_str(), c.name) == 0) {
      HWND control = w.Item(c.id);
      if (control && TakesCaption(control)) SetWindowTextW(control, text.c_str());
      return;
    }
}

void cbTestVoiceChange(TfmTCfgMain& w) {
  const LRESULT kind = SendMessageW(w.Item(IDC_cbTestVoice), CB_GETCURSEL, 0, 0);
  EnableWindow(w.Item(IDC_cbTestRaceType), kind == 0 || kind == 1);
}

void ApplyLanguage(TfmTCfgMain& w, int lang) {
  // Tabs, labels and buttons: every entry of the language that names one.
  // Entries for the window, the lists, the help and the messages name none.
  for (const LocalizeEntry& e : w.localizeTable) {
    const size_t mark = e.name.find('_');
    if (mark == std::string::npos || ParseIntValue(e.name.substr(0, mark), -1) != lang) continue;
    SetCaption(w, e.name.substr(mark + 1), FromTable(e.value));
  }
  SetWindowTextW(w.hwnd, FromTable(Localized(w, lang, "fmTCfgMain")).c_str());
  FillList(w.Item(IDC_cbTestVoice), Localized(w, lang, "cbTestVoice"));
  FillList(w.Item(IDC_cbTestRaceType), Localized(w, lang, "cbTestRaceType"));
  FillFlags(w.Item(IDC_clGlobalFlags), Localized(w, lang, "clGlobalFlags"));
  SendMessageW(w.Item(IDC_cbTestVoice), CB_SETCURSEL, 0, 0);
  SendMessageW(w.Item(IDC_cbTestRaceType), CB_SETCURSEL, 0, 0);
  // Each race of the test list knows its pitch slider.
  HWND races = w.Item(IDC_cbTestRaceType);
  for (int i = 0; i < 10; ++i)
    SendMessageW(races, CB_SETITEMDATA, i, FilterSliders[FirstRaceSlider + i].id);
  if (HWND help = w.Item(IDC_reHelpInfo)) {
    SetWindowTextW(help, L"");
    StreamRtfText(help, Localized(w, lang, "reHelpInfo"));
  }
  w.currentLang = lang;
  cbTestVoiceChange(w);
}

// ---- binding ----------------------------------------------------------

void ShowKeyNames(TfmTCfgMain& w) {
  for (int i = 0; i < 8; ++i) SetWindowTextA(w.Item(KeyCells[i]), KeyNameTable[w.keyCodes[i]]);
}

void SetVoiceSliders(TfmTCfgMain& w, int pitch, int rate, const std::string& text, int volume) {
  if (text.empty()) return;
  const int sliders[3] = {pitch, rate, volume};
  const char* tags[3] = {PitchAttribute, RateAttribute, VolumeAttribute};
  for (int i = 0; i < 3; ++i) {
    const int32_t value = ReadVoiceTag(tags[i], text);
    if (value < 0x10000) SetSliderPosition(w, sliders[i], value);
  }
}

void SettingsToForm(TfmTCfgMain& w) {
  ConfiguratorSettings& s = w.settings;
  ApplyLanguage(w, LanguageOf(s.LangIndex));
  for (const FilterSlider& f : FilterSliders) SetSliderPosition(w, f.id, PitchField(s, f.race) / 100);
  HWND flags = w.Item(IDC_clGlobalFlags);
  for (int i = 0; i < GlobalFlagCount; ++i) SetFlagChecked(flags, i, s.flags[i] != 0);
  for (int i = 0; i < 4; ++i) {
    w.keyCodes[i] = ChordKey(s.SpeakKeyCode, i);
    w.keyCodes[4 + i] = ChordKey(s.SilenceKeyCode, i);
  }
  for (VoiceKind v : ShowOrder) {
    HWND list = w.Item(VoiceBinding[v].list);
    const LRESULT found = SendMessageA(list, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                       reinterpret_cast<LPARAM>(s.voices[v].name.c_str()));
    SendMessageW(list, CB_SETCURSEL, found == CB_ERR ? 0 : found, 0);
  }
  for (VoiceKind v : ShowOrder)
    SetVoiceSliders(w, VoiceBinding[v].pitch, VoiceBinding[v].rate, s.voices[v].config, VoiceBinding[v].volume);
  ShowKeyNames(w);
  const bool english = LanguageOf(s.LangIndex) != 0;
  SendMessageW(w.Item(IDC_sbLngEng), BM_SETCHECK, english ? BST_CHECKED : BST_UNCHECKED, 0);
  SendMessageW(w.Item(IDC_sbLngRus), BM_SETCHECK, english ? BST_UNCHECKED : BST_CHECKED, 0);
}

std::string SelectedItem(HWND list) {
  const LRESULT at = SendMessageA(list, CB_GETCURSEL, 0, 0);
  if (at == CB_ERR) return "";
  std::string text(SendMessageA(list, CB_GETLBTEXTLEN, at, 0) + 1, '\0');
  SendMessageA(list, CB_GETLBTEXT, at, reinterpret_cast<LPARAM>(text.data()));
  text.resize(lstrlenA(text.c_str()));
  const size_t first = text.find_first_not_of(" \t");
  if (first == std::string::npos) return "";
  return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

void FormToSettings(TfmTCfgMain& w) {
  ConfiguratorSettings& s = w.settings;
  for (const FilterSlider& f : FilterSliders)
    PitchField(s, f.race) = static_cast<int16_t>(SliderPosition(w, f.id) * 100);
  HWND flags = w.Item(IDC_clGlobalFlags);
  for (int i = 0; i < GlobalFlagCount; ++i) s.flags[i] = FlagChecked(flags, i) ? 1 : 0;
  const uint8_t speak[4] = {w.keyCodes[0], w.keyCodes[1], w.keyCodes[2], w.keyCodes[3]};
  const uint8_t silence[4] = {w.keyCodes[4], w.keyCodes[5], w.keyCodes[6], w.keyCodes[7]};
  s.SpeakKeyCode = PackKeyChord(speak);
  s.SilenceKeyCode = PackKeyChord(silence);
  for (int v = 0; v < VoiceKindCount; ++v) {
    const VoiceControls& c = VoiceBinding[v];
    s.voices[v].name = SelectedItem(w.Item(c.list));
    s.voices[v].config =
        VoiceConfigText(SliderPosition(w, c.pitch), SliderPosition(w, c.rate), SliderPosition(w, c.volume));
  }
  s.LangIndex = SendMessageW(w.Item(IDC_sbLngRus), BM_GETCHECK, 0, 0) == BST_CHECKED ? 0 : 1;
}

// ---- start-up pieces --------------------------------------------------

// The installed voices, however long their list is.
std::string InstalledVoices(SpeechVoice& voice) {
  std::vector<char> buffer(1024);
  for (;;) {
    uint32_t count = 0;
    buffer[0] = 0;
    if (voice.ListVoices(buffer.data(), static_cast<uint32_t>(buffer.size()), &count) != 0) return "";
    if (buffer[0] != 0 || count == 0 || buffer.size() >= (16u << 20)) return buffer.data();
    buffer.resize(buffer.size() * 2);
  }
}

void FindGameDirectory(TfmTCfgMain& w) {
  w.gameDir = WalkToGameDirectory(w.settings.GameInstDir.empty() ? w.exeDir : w.settings.GameInstDir);
  if (!w.gameDir.empty()) return;
  const std::wstring title = FromTable(Localized(w, LanguageOf(w.settings.LangIndex), "odOpenGameInst"));
  wchar_t file[MAX_PATH] = L"Morrowind.ini";
  OPENFILENAMEW dialog{};
  dialog.lStructSize = sizeof dialog;
  dialog.hwndOwner = w.hwnd;
  dialog.lpstrFilter = L"Morrowind.ini\0Morrowind.ini\0";
  dialog.lpstrFile = file;
  dialog.nMaxFile = MAX_PATH;
  dialog.lpstrTitle = title.c_str();
  dialog.lpstrDefExt = L"ini";
  dialog.Flags = OFN_HIDEREADONLY | OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST | OFN_EXPLORER;
  dialog.FlagsEx = OFN_EX_NOPLACESBAR;
  // Without the game there is nothing to configure, and nothing is saved.
  if (!GetOpenFileNameW(&dialog)) ExitProcess(0);
  char path[MAX_PATH];
  WideCharToMultiByte(CP_ACP, 0, file, -1, path, sizeof path, nullptr, nullptr);
  w.gameDir = path;
  w.gameDir.resize(FindCharFromEnd(w.gameDir, '\\', 1, 0) + 1);
}

void ShowTestString(TfmTCfgMain& w, int step) {
  std::string text;
  w.testStringIndex = StepTestString(w.gameIni, step, text);
  SetWindowTextA(w.Item(IDC_meTestText), text.c_str());
}

// ---- key cells --------------------------------------------------------

bool KeyIsDown(uint8_t code) { return (GetKeyState(code) & 0x8000) != 0; }

void edKeyA_BSKeyDown(TfmTCfgMain& w, int cell, WPARAM key) {
  w.keyCodes[cell] = SidedKeyCode(static_cast<uint8_t>(key), KeyIsDown);
  SetWindowTextA(w.Item(KeyCells[cell]), KeyNameTable[w.keyCodes[cell]]);
}

void edKeyA_BSDblClick(TfmTCfgMain& w, int cell) {
  w.keyCodes[cell] = 0;
  SetWindowTextA(w.Item(KeyCells[cell]), "");
}

// Every key pressed in a cell is captured there: none types, moves the
// focus or opens the window menu.
LRESULT CALLBACK KeyCellProc(HWND cell, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR index) {
  switch (message) {
    case WM_GETDLGCODE:
      return DLGC_WANTALLKEYS | DLGC_WANTCHARS;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
      edKeyA_BSKeyDown(*fmTCfgMain, static_cast<int>(index), wParam);
      return 0;
    case WM_KEYUP:
    case WM_SYSKEYUP:
    case WM_CHAR:
    case WM_SYSCHAR:
    case WM_DEADCHAR:
    case WM_SYSDEADCHAR:
      return 0;
    case WM_LBUTTONDBLCLK:
      edKeyA_BSDblClick(*fmTCfgMain, static_cast<int>(index));
      return 0;
  }
  return DefSubclassProc(cell, message, wParam, lParam);
}

// ---- pages ------------------------------------------------------------

void ShowTab(HWND tab, HWND* pages, int count, int index) {
  SendMessageW(tab, TCM_SETCURSEL, index, 0);
  for (int i = 0; i < count; ++i) ShowWindow(pages[i], i == index ? SW_SHOW : SW_HIDE);
}

// A click on a tab of either page control shows its page.
BOOL OnTabChange(TfmTCfgMain& w, const NMHDR* from) {
  if (from->code != TCN_SELCHANGE) return FALSE;
  const int index = static_cast<int>(SendMessageW(from->hwndFrom, TCM_GETCURSEL, 0, 0));
  if (from->idFrom == IDC_pcMainPageCtrl) ShowTab(from->hwndFrom, w.pages, 6, index);
  else if (from->idFrom == IDC_pcVDlgGenderPageCtrl) ShowTab(from->hwndFrom, w.voiceTabs, 4, index);
  else return FALSE;
  return TRUE;
}

void ScrollFilters(TfmTCfgMain& w, int to) {
  RECT client;
  GetClientRect(w.filterBox, &client);
  const int visible = client.bottom;
  to = std::max(0, std::min(to, w.filterContentHeight - visible));
  ScrollWindowEx(w.filterBox, 0, w.filterScroll - to, nullptr, nullptr, nullptr, nullptr,
                 SW_SCROLLCHILDREN | SW_INVALIDATE | SW_ERASE);
  w.filterScroll = to;
  SetScrollPos(w.filterBox, SB_VERT, to, TRUE);
}

// ---- installation and the voice test --------------------------------

// One line "[hh:nn:ss] text" at the end of the install log.
void AddInstallMessage(TfmTCfgMain& w, const std::string& text) {
  SYSTEMTIME now;
  GetLocalTime(&now);
  wchar_t stamp[16];
  wsprintfW(stamp, L"[%02u:%02u:%02u] ", now.wHour, now.wMinute, now.wSecond);
  HWND log = w.Item(IDC_meInstMessages);
  const std::wstring line = (GetWindowTextLengthW(log) > 0 ? L"\r\n" : L"") + (stamp + FromTable(text));
  const int end = GetWindowTextLengthW(log);
  SendMessageW(log, EM_SETSEL, end, end);
  SendMessageW(log, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(line.c_str()));
}

void ReportInstallState(TfmTCfgMain& w) {
  static constexpr const char* StateText[] = {"TMNOTINST", "MLNOTFOUND", "INSTTOMLDR"};
  AddInstallMessage(w, Localized(w, w.currentLang, StateText[GetInstallState(w.gameDir)]));
  if (!LoaderHasTarget(w.gameDir)) AddInstallMessage(w, Localized(w, w.currentLang, "MLNOTINST"));
}

void bInstallClick(TfmTCfgMain& w) {
  InstallIntoLoader(w.gameDir, w.exeDir, Localized(w, w.currentLang, "MldrLirraDesc"));
  if (GetInstallState(w.gameDir) > NotInstalled) {
    EnableWindow(w.Item(IDC_bInstall), FALSE);
    EnableWindow(w.Item(IDC_bUnInstall), TRUE);
  }
  ReportInstallState(w);
}

void bUnInstallClick(TfmTCfgMain& w) {
  RemoveFromLoader(w.gameDir);
  if (GetInstallState(w.gameDir) < LoaderNotFound) {
    EnableWindow(w.Item(IDC_bInstall), TRUE);
    EnableWindow(w.Item(IDC_bUnInstall), FALSE);
  }
  ReportInstallState(w);
}

// The memo's text as its lines joined by CR LF, in the system's code page
// for SAPI.
std::string TestText(const TfmTCfgMain& w) {
  HWND memo = w.Item(IDC_meTestText);
  std::string text(static_cast<size_t>(GetWindowTextLengthA(memo)) + 1, '\0');
  text.resize(static_cast<size_t>(GetWindowTextA(memo, text.data(), static_cast<int>(text.size()))));
  return text;
}

void bHearTestVoiceClick(TfmTCfgMain& w) {
  FormToSettings(w);
  const int voice = static_cast<int>(SendMessageW(w.Item(IDC_cbTestVoice), CB_GETCURSEL, 0, 0));
  const int race = static_cast<int>(SendMessageW(w.Item(IDC_cbTestRaceType), CB_GETCURSEL, 0, 0));
  HearTestVoice(w.TestVoice, w.testSound, w.settings, voice, race, TestText(w));
}

void OnCommand(TfmTCfgMain& w, int id, int code) {
  switch (id) {
    case IDC_sbTstStrPrev:
      if (code == BN_CLICKED) ShowTestString(w, -w.testStringIndex);
      break;
    case IDC_sbTstStrNext:
      if (code == BN_CLICKED) ShowTestString(w, w.testStringIndex);
      break;
    case IDC_sbLngEng:
    case IDC_sbLngRus:  // sbLngRusClick: the language follows the button that is down
      if (code == BN_CLICKED) {
        FormToSettings(w);
        SettingsToForm(w);
      }
      break;
    case IDC_cbTestVoice:
      if (code == CBN_SELCHANGE) cbTestVoiceChange(w);
      break;
    case IDC_bInstall:
      if (code == BN_CLICKED) bInstallClick(w);
      break;
    case IDC_bUnInstall:
      if (code == BN_CLICKED) bUnInstallClick(w);
      break;
    case IDC_bHearTestVoice:
      if (code == BN_CLICKED) bHearTestVoiceClick(w);
      break;
  }
}

INT_PTR CALLBACK FilterBoxProc(HWND box, UINT message, WPARAM wParam, LPARAM) {
  TfmTCfgMain& w = *fmTCfgMain;
  switch (message) {
    case WM_INITDIALOG:
      return FALSE;
    case WM_VSCROLL: {
      RECT client;
      GetClientRect(box, &client);
      const int line = 20, page = client.bottom;
      int to = w.filterScroll;
      switch (LOWORD(wParam)) {
        case SB_LINEUP: to -= line; break;
        case SB_LINEDOWN: to += line; break;
        case SB_PAGEUP: to -= page; break;
        case SB_PAGEDOWN: to += page; break;
        case SB_TOP: to = 0; break;
        case SB_BOTTOM: to = w.filterContentHeight; break;
        case SB_THUMBTRACK:
        case SB_THUMBPOSITION: to = HIWORD(wParam); break;
      }
      ScrollFilters(w, to);
      return TRUE;
    }
    case WM_MOUSEWHEEL:
      ScrollFilters(w, w.filterScroll - GET_WHEEL_DELTA_WPARAM(wParam) / WHEEL_DELTA * 40);
      return TRUE;
  }
  return FALSE;
}

INT_PTR CALLBACK PageProc(HWND, UINT message, WPARAM wParam, LPARAM lParam) {
  TfmTCfgMain& w = *fmTCfgMain;
  switch (message) {
    case WM_INITDIALOG:
      return FALSE;
    case WM_COMMAND:
      OnCommand(w, LOWORD(wParam), HIWORD(wParam));
      return TRUE;
    case WM_NOTIFY:
      return OnTabChange(w, reinterpret_cast<const NMHDR*>(lParam));
  }
  return FALSE;
}

// Places `child` over the page area of the tab control `tab`.
void PlaceInTab(HWND tab, HWND child) {
  RECT area;
  GetClientRect(tab, &area);
  SendMessageW(tab, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&area));
  MapWindowPoints(tab, GetParent(child), reinterpret_cast<POINT*>(&area), 2);
  SetWindowPos(child, HWND_TOP, area.left, area.top, area.right - area.left, area.bottom - area.top,
               SWP_NOACTIVATE);
}

HWND CreatePage(HWND parent, int dialog, DLGPROC proc) {
  HWND page = CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(dialog), parent, proc, 0);
  EnableThemeDialogTexture(page, ETDT_ENABLETAB);
  return page;
}

void AddTab(HWND tab, int index) {
  TCITEMW item{};
  item.mask = TCIF_TEXT;
  item.pszText = const_cast<wchar_t*>(L"");
  SendMessageW(tab, TCM_INSERTITEMW, index, reinterpret_cast<LPARAM>(&item));
}

BOOL CALLBACK RememberControl(HWND control, LPARAM) {
  fmTCfgMain->controls[GetDlgCtrlID(control)] = control;
  return TRUE;
}

// Lets the last control of a page reach down to the page's bottom, however
// tall the dialog font makes the page.
void StretchToBottom(HWND control) {
  HWND page = GetParent(control);
  RECT area, at;
  GetClientRect(page, &area);
  GetWindowRect(control, &at);
  MapWindowPoints(nullptr, page, reinterpret_cast<POINT*>(&at), 2);
  SetWindowPos(control, nullptr, 0, 0, at.right - at.left, area.bottom - 4 - at.top, SWP_NOMOVE | SWP_NOZORDER);
}

void BuildPages(TfmTCfgMain& w) {
  HWND mainTab = GetDlgItem(w.hwnd, IDC_pcMainPageCtrl);
  MoveWindow(mainTab, 0, 0, ClientWidth, ClientHeight, FALSE);
  for (int i = 0; i < 6; ++i) {
    AddTab(mainTab, i);
    w.pages[i] = CreatePage(w.hwnd, Pages[i].dialog, PageProc);
  }
  // Tab headers first: they decide the page area.
  for (HWND page : w.pages) PlaceInTab(mainTab, page);

  HWND voices = w.pages[0];
  HWND genderTab = GetDlgItem(voices, IDC_pcVDlgGenderPageCtrl);
  RECT voicesArea;
  GetClientRect(voices, &voicesArea);
  MoveWindow(genderTab, 1, 1, voicesArea.right - 2, voicesArea.bottom - 2, FALSE);
  // Narrow padding keeps the four Russian voice captions in one row.
  SendMessageW(genderTab, TCM_SETPADDING, 0, MAKELPARAM(3, 3));
  for (int i = 0; i < 4; ++i) {
    AddTab(genderTab, i);
    w.voiceTabs[i] = CreatePage(voices, VoiceTabs[i].dialog, PageProc);
  }
  for (HWND tab : w.voiceTabs) PlaceInTab(genderTab, tab);

  // The scroll box fills the FILTERS page and scrolls what it holds.
  HWND filters = w.pages[1];
  w.filterBox = CreatePage(filters, IDD_sclbDSFilters, FilterBoxProc);
  SetWindowLongPtrW(w.filterBox, GWLP_ID, IDC_sclbDSFilters);
  RECT content, page;
  GetClientRect(w.filterBox, &content);
  GetClientRect(filters, &page);
  w.filterContentHeight = content.bottom;
  MoveWindow(w.filterBox, 0, 0, page.right, page.bottom, FALSE);
  RECT visible;
  GetClientRect(w.filterBox, &visible);
  SCROLLINFO scroll{sizeof scroll, SIF_RANGE | SIF_PAGE | SIF_POS, 0, w.filterContentHeight - 1,
                    static_cast<UINT>(visible.bottom), 0, 0};
  SetScrollInfo(w.filterBox, SB_VERT, &scroll, TRUE);
  ShowWindow(w.filterBox, SW_SHOW);

  // The help view exists only with its library.
  if (LoadLibraryA("riched20.dll")) {
    HWND about = w.pages[5];
    RECT area;
    GetClientRect(about, &area);
    CreateWindowExW(WS_EX_CLIENTEDGE, RICHEDIT_CLASSW, L"",
                    WS_CHILD | WS_VISIBLE | WS_VSCROLL | ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL, 2, 2,
                    area.right - 4, area.bottom - 4, about, reinterpret_cast<HMENU>(IDC_reHelpInfo),
                    GetModuleHandleW(nullptr), nullptr);
  }

  w.controls.clear();
  EnumChildWindows(w.hwnd, RememberControl, 0);
  for (int id : {IDC_clGlobalFlags, IDC_meTestText, IDC_meInstMessages}) StretchToBottom(w.Item(id));
}

void SetupControls(TfmTCfgMain& w) {
  for (const VoiceControls& v : VoiceBinding) {
    SetupSlider(w, v.pitch, -10, 10, 1, 0);
    SetupSlider(w, v.rate, -10, 10, 1, 0);
    SetupSlider(w, v.volume, 0, 100, 10, 100);
  }
  for (const FilterSlider& f : FilterSliders) SetupSlider(w, f.id, -100, 100, 10, 0);

  HWND flags = w.Item(IDC_clGlobalFlags);
  SendMessageW(flags, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT,
               LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT);
  RECT area;
  GetClientRect(flags, &area);
  LVCOLUMNW column{};
  column.mask = LVCF_WIDTH;
  column.cx = area.right - GetSystemMetrics(SM_CXVSCROLL);
  SendMessageW(flags, LVM_INSERTCOLUMNW, 0, reinterpret_cast<LPARAM>(&column));

  for (int i = 0; i < 8; ++i) SetWindowSubclass(w.Item(KeyCells[i]), KeyCellProc, 1, i);
  SendMessageW(w.Item(IDC_cbTestRaceType), CB_SETMINVISIBLE, 10, 0);

  const HINSTANCE instance = GetModuleHandleW(nullptr);
  SendMessageW(w.Item(IDC_sbLngEng), BM_SETIMAGE, IMAGE_BITMAP,
               reinterpret_cast<LPARAM>(LoadImageW(instance, MAKEINTRESOURCEW(IDB_FLAG_ENG), IMAGE_BITMAP, 0, 0, 0)));
  SendMessageW(w.Item(IDC_sbLngRus), BM_SETIMAGE, IMAGE_BITMAP,
               reinterpret_cast<LPARAM>(LoadImageW(instance, MAKEINTRESOURCEW(IDB_FLAG_RUS), IMAGE_BITMAP, 0, 0, 0)));

  HWND keys = w.Item(IDC_cbVKeysList);
  for (const char* name : KeyNameTable) SendMessageA(keys, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name));
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
  SetupControls(w);
  if (HWND help = w.Item(IDC_reHelpInfo)) InstallHelpViewWindowProc(help);

  w.TestVoice.Init(Speakers, 0);
  const std::string voices = InstalledVoices(w.TestVoice);
  for (int list : {IDC_cbVoiceDoc, IDC_cbVDlgCrea, IDC_cbVDlgMale, IDC_cbVDlgFemale})
    for (const std::string& voice : SplitLines(voices))
      SendMessageA(w.Item(list), CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(voice.c_str()));

  LoadSettings(w.settings, w.settingsIni, w.exeName);
  FindGameDirectory(w);
  SettingsToForm(w);
  w.gameIni = w.gameDir + "Morrowind.ini";
  ShowTestString(w, w.testStringIndex);

  // Both install buttons start disabled; the state enables one of them.
  EnableWindow(w.Item(GetInstallState(w.gameDir) <= NotInstalled ? IDC_bInstall : IDC_bUnInstall), TRUE);
  ReportInstallState(w);
  ShowTab(w.Item(IDC_pcMainPageCtrl), w.pages, 6, PageSetup);
  ShowTab(w.Item(IDC_pcVDlgGenderPageCtrl), w.voiceTabs, 4, 0);
  OpenTestSound(w.testSound, w.hwnd);
}

// False when the file could not be written: the window stays open and a
// later close tries again.
bool FormClose(TfmTCfgMain& w) {
  FormToSettings(w);
  w.settings.GameInstDir = w.gameDir;
  w.settings.ConfigAppName = w.exeName;
  if (!SaveSettings(w.settings, w.settingsIni)) {
    wchar_t message[400];
    wchar_t widePath[MAX_PATH];
    MultiByteToWideChar(CP_ACP, 0, w.settingsIni.c_str(), -1, widePath, MAX_PATH);
    wsprintfW(message, L"Unable to write to %s", widePath);
    MessageBoxW(w.hwnd, message, L"Quorrim", MB_OK | MB_ICONERROR);
    return false;
  }
  w.TestVoice.Release();
  CloseTestSound(w.testSound);
  // Without a module loader the game folder gets the plug-in and its
  // settings themselves.
  if (GetInstallState(w.gameDir) == LoaderNotFound) CopyPluginToGame(w.gameDir, w.exeDir);
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
      FormCreate(w);
      return FALSE;
    case WM_NOTIFY:
      return OnTabChange(w, reinterpret_cast<const NMHDR*>(lParam));
    case WM_CLOSE:
      if (FormClose(w)) DestroyWindow(window);
      return TRUE;
    case WM_DESTROY:
      PostQuitMessage(0);
      return TRUE;
  }
  return FALSE;
}

// The application's window: never seen itself, it stands for the program
// in the task bar under the application's title, and owns the main window.
LRESULT CALLBACK ApplicationProc(HWND application, UINT message, WPARAM wParam, LPARAM lParam) {
  HWND main = fmTCfgMain ? fmTCfgMain->hwnd : nullptr;
  switch (message) {
    case WM_ACTIVATE:
      if (LOWORD(wParam) != WA_INACTIVE && main && IsWindowVisible(main)) SetActiveWindow(main);
      return 0;
    case WM_CLOSE:
      if (main) PostMessageW(main, WM_CLOSE, 0, 0);
      return 0;
    case WM_SIZE:
      if (wParam == SIZE_RESTORED && main && !IsWindowVisible(main)) {
        ShowWindow(main, SW_SHOW);
        SetActiveWindow(main);
      }
      return 0;
  }
  return DefWindowProcW(application, message, wParam, lParam);
}

HWND CreateApplicationWindow(HINSTANCE instance, HICON icon) {
  WNDCLASSEXW windowClass{};
  windowClass.cbSize = sizeof windowClass;
  windowClass.lpfnWndProc = ApplicationProc;
  windowClass.hInstance = instance;
  windowClass.hIcon = icon;
  windowClass.lpszClassName = L"TApplication";
  RegisterClassExW(&windowClass);
  RECT work;
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  return CreateWindowExW(WS_EX_APPWINDOW, L"TApplication", L"Quorrim",
                         WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX, (work.left + work.right) / 2,
                         (work.top + work.bottom) / 2, 0, 0, nullptr, nullptr, instance, nullptr);
}

}  // namespace

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
