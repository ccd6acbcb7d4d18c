#include "configurator/pages/voices_page.h"

#include <commctrl.h>

#include <vector>

#include "common/voice_config.h"
#include "configurator/common_controls.h"
#include "configurator/main_window.h"
#include "configurator/resource.h"
#include "configurator/voice_pools.h"

namespace {

// The inner tabs in tab order, each the controls of one voice.
struct VoiceTab {
  const char* name;  // the tab's key in the text table
  int dialog;
  VoiceKind kind;
  int list, pitch, rate, volume;
};
constexpr VoiceTab VoiceTabs[4] = {
    {"tsVDlgMale", IDD_tsVDlgMale, VoiceMale, IDC_cbVDlgMale, IDC_tbVDlgPitchMale, IDC_tbVDlgRateMale,
     IDC_tbVDlgVolumeMale},
    {"tsVDlgFemale", IDD_tsVDlgFemale, VoiceFemale, IDC_cbVDlgFemale, IDC_tbVDlgPitchFemale,
     IDC_tbVDlgRateFemale, IDC_tbVDlgVolumeFemale},
    {"tsVDlgCreature", IDD_tsVDlgCreature, VoiceCreature, IDC_cbVDlgCrea, IDC_tbVDlgPitchCrea,
     IDC_tbVDlgRateCrea, IDC_tbVDlgVolumeCrea},
    {"tsVoiceDoc", IDD_tsVoiceDoc, VoiceDocument, IDC_cbVoiceDoc, IDC_tbVDocPitch, IDC_tbVDocRate,
     IDC_tbVDocVolume},
};
// The dialogue voices' pools and varieties, by PoolKind.
struct PoolControls {
  int tab;  // into VoiceTabs
  const char* name;  // the check list's key in the text table: its column's head
  int list, variety;
};
constexpr PoolControls PoolTabs[PoolKindCount] = {
    {0, "clVDlgPoolMale", IDC_clVDlgPoolMale, IDC_tbVDlgVarietyMale},
    {1, "clVDlgPoolFemale", IDC_clVDlgPoolFemale, IDC_tbVDlgVarietyFemale},
    {2, "clVDlgPoolCrea", IDC_clVDlgPoolCrea, IDC_tbVDlgVarietyCrea},
};

// Document, creature, male, female: the order the lists are filled and
// the voices shown.
constexpr VoiceKind ShowOrder[VoiceKindCount] = {VoiceDocument, VoiceCreature, VoiceMale, VoiceFemale};

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

INT_PTR CALLBACK VoiceTabProc(HWND, UINT, WPARAM, LPARAM) { return FALSE; }

class VoicesPage final : public ConfigPage {
 public:
  explicit VoicesPage(TfmTCfgMain& window) : ConfigPage(window, "tsPageVoices", IDD_tsPageVoices) {}

  void Create() override {
    HWND genderTab = Item(IDC_pcVDlgGenderPageCtrl);
    RECT area;
    GetClientRect(hwnd, &area);
    MoveWindow(genderTab, 1, 1, area.right - 2, area.bottom - 2, FALSE);
    // Narrow padding keeps the four Russian voice captions in one row.
    SendMessageW(genderTab, TCM_SETPADDING, 0, MAKELPARAM(3, 3));
    for (int i = 0; i < 4; ++i) {
      AddTab(genderTab, i);
      tabs_[i] = CreatePage(hwnd, VoiceTabs[i].dialog, VoiceTabProc, 0);
    }
    for (HWND tab : tabs_) PlaceInTab(genderTab, tab);

    for (int i = 0; i < 4; ++i) {
      const VoiceTab& t = VoiceTabs[i];
      voices_[t.kind] = {GetDlgItem(tabs_[i], t.list), GetDlgItem(tabs_[i], t.pitch), GetDlgItem(tabs_[i], t.rate),
                         GetDlgItem(tabs_[i], t.volume)};
    }
    for (const Voice& v : voices_) {
      SetupSlider(v.pitch, -10, 10, 1, 0);
      SetupSlider(v.rate, -10, 10, 1, 0);
      SetupSlider(v.volume, 0, 100, 10, 100);
    }
    FillVoiceLists();
    CreatePools();
  }

  void VoicesChanged() override {
    ConfiguratorSettings now = window.settings;
    Store(now);
    for (const Voice& v : voices_) SendMessageW(v.list, CB_RESETCONTENT, 0, 0);
    FillVoiceLists();
    window.installedVoices = ListVoicesWithGender();
    for (const Pool& pool : pools_) {
      SendMessageW(pool.list, LVM_DELETEALLITEMS, 0, 0);
      FillPool(pool.list);
    }
    Load(now);
  }

  // The column heads of the pools' check lists.
  void ApplyLanguage(int lang) override {
    for (int k = 0; k < PoolKindCount; ++k) {
      std::wstring head = FromTable(window.Localized(lang, PoolTabs[k].name));
      LVCOLUMNW column{};
      column.mask = LVCF_TEXT;
      column.pszText = head.data();
      SendMessageW(pools_[k].list, LVM_SETCOLUMNW, 0, reinterpret_cast<LPARAM>(&column));
    }
  }

  bool SetCaption(const std::string& key, const std::wstring& text) override {
    for (int i = 0; i < 4; ++i)
      if (lstrcmpiA(key.c_str(), VoiceTabs[i].name) == 0) {
        SetTabCaption(Item(IDC_pcVDlgGenderPageCtrl), i, text);
        return true;
      }
    return false;
  }

  void Load(const ConfiguratorSettings& s) override {
    // A name matches in any letter case; one that is not installed selects
    // the first voice.
    for (VoiceKind v : ShowOrder) {
      const LRESULT found = SendMessageA(voices_[v].list, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                         reinterpret_cast<LPARAM>(s.voices[v].name.c_str()));
      SendMessageW(voices_[v].list, CB_SETCURSEL, found == CB_ERR ? 0 : found, 0);
    }
    for (VoiceKind v : ShowOrder) SetVoiceSliders(voices_[v], s.voices[v].config);
    for (int k = 0; k < PoolKindCount; ++k) {
      const std::vector<bool> checks = PoolChecks(s.voicePools[k], PoolKind(k), window.installedVoices);
      for (size_t i = 0; i < checks.size(); ++i) SetItemChecked(pools_[k].list, static_cast<int>(i), checks[i]);
      SetSliderPosition(pools_[k].variety, s.voiceVariety[k]);
    }
  }

  void Store(ConfiguratorSettings& s) const override {
    for (int v = 0; v < VoiceKindCount; ++v) {
      // With no voice to choose from (a Wine prefix before INSTALL) the
      // file's voice stays.
      if (SendMessageW(voices_[v].list, CB_GETCOUNT, 0, 0) > 0) s.voices[v].name = SelectedItem(voices_[v].list);
      s.voices[v].config = VoiceConfigText(SliderPosition(voices_[v].pitch), SliderPosition(voices_[v].rate),
                                           SliderPosition(voices_[v].volume));
    }
    for (int k = 0; k < PoolKindCount; ++k) {
      std::vector<bool> checks(window.installedVoices.size());
      for (size_t i = 0; i < checks.size(); ++i) checks[i] = ItemChecked(pools_[k].list, static_cast<int>(i));
      s.voicePools[k] = PoolText(s.voicePools[k], PoolKind(k), window.installedVoices, checks);
      s.voiceVariety[k] = SliderPosition(pools_[k].variety);
    }
  }

  void Start() override { ShowTab(Item(IDC_pcVDlgGenderPageCtrl), tabs_, 4, 0); }

  INT_PTR DialogProc(UINT message, WPARAM, LPARAM lParam) override {
    if (message != WM_NOTIFY) return FALSE;
    const auto* from = reinterpret_cast<const NMHDR*>(lParam);
    if (from->code != TCN_SELCHANGE || from->idFrom != IDC_pcVDlgGenderPageCtrl) return FALSE;
    ShowTab(from->hwndFrom, tabs_, 4, static_cast<int>(SendMessageW(from->hwndFrom, TCM_GETCURSEL, 0, 0)));
    return TRUE;
  }

 private:
  struct Voice {
    HWND list, pitch, rate, volume;
  };

  // A configuration text without a value for a slider leaves the slider
  // where it is: at start 0, 0 and 100.
  static void SetVoiceSliders(const Voice& v, const std::string& config) {
    if (config.empty()) return;
    const HWND sliders[3] = {v.pitch, v.rate, v.volume};
    const char* tags[3] = {PitchAttribute, RateAttribute, VolumeAttribute};
    for (int i = 0; i < 3; ++i) {
      const int32_t value = ReadVoiceTag(tags[i], config);
      if (value < 0x10000) SetSliderPosition(sliders[i], value);
    }
  }

  // Each dialogue voice's check list holds the installed voices in SAPI's
  // order, the order of window.installedVoices.
  void CreatePools() {
    window.installedVoices = ListVoicesWithGender();
    for (int k = 0; k < PoolKindCount; ++k) {
      const PoolControls& c = PoolTabs[k];
      pools_[k] = {GetDlgItem(tabs_[c.tab], c.list), GetDlgItem(tabs_[c.tab], c.variety)};
      SetupSlider(pools_[k].variety, 0, VarietyMax, 1, 0);
      SetupCheckList(pools_[k].list);
      FillPool(pools_[k].list);
    }
  }

  // Each voice's list holds the installed voices (SAPI's descriptions).
  void FillVoiceLists() {
    const std::string installed = InstalledVoices(window.TestVoice);
    for (VoiceKind v : ShowOrder)
      for (const std::string& voice : SplitLines(installed))
        SendMessageA(voices_[v].list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(voice.c_str()));
  }

  void FillPool(HWND list) {
    int index = 0;
    for (const InstalledVoice& v : window.installedVoices) {
      LVITEMA entry{};
      entry.mask = LVIF_TEXT;
      entry.iItem = index++;
      entry.pszText = const_cast<char*>(v.description.c_str());
      SendMessageA(list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&entry));
    }
  }

  struct Pool {
    HWND list, variety;
  };

  HWND tabs_[4] = {};
  Pool pools_[PoolKindCount] = {};  // by PoolKind
  Voice voices_[VoiceKindCount] = {};  // by VoiceKind
};

}  // namespace

std::unique_ptr<ConfigPage> MakeVoicesPage(TfmTCfgMain& window) { return std::make_unique<VoicesPage>(window); }
