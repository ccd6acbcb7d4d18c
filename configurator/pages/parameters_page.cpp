#include "configurator/pages/parameters_page.h"

#include <commctrl.h>

#include "configurator/key_names.h"
#include "configurator/common_controls.h"
#include "configurator/main_window.h"
#include "configurator/resource.h"

namespace {

// A..D of START SPEAKING, then of STOP SPEAKING.
constexpr int KeyCells[8] = {IDC_edKeyA_BS, IDC_edKeyB_BS, IDC_edKeyC_BS, IDC_edKeyD_BS,
                             IDC_edKeyA_ES, IDC_edKeyB_ES, IDC_edKeyC_ES, IDC_edKeyD_ES};

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

bool KeyIsDown(uint8_t code) { return (GetKeyState(code) & 0x8000) != 0; }

class ParametersPage final : public ConfigPage {
 public:
  explicit ParametersPage(TfmTCfgMain& window) : ConfigPage(window, "tsPageSettings", IDD_tsPageSettings) {}

  void Create() override {
    HWND flags = Item(IDC_clGlobalFlags);
    StretchToBottom(flags);
    SetupCheckList(flags);

    for (int i = 0; i < 8; ++i) SetWindowSubclass(Item(KeyCells[i]), KeyCellProc, i, reinterpret_cast<DWORD_PTR>(this));
  }

  // Replacing the items clears every check mark: Load sets them again.
  void ApplyLanguage(int lang) override {
    FillFlags(Item(IDC_clGlobalFlags), window.Localized(lang, "clGlobalFlags"));
  }

  void Load(const ConfiguratorSettings& s) override {
    HWND flags = Item(IDC_clGlobalFlags);
    for (int i = 0; i < GlobalFlagCount; ++i) SetItemChecked(flags, i, s.flags[i] != 0);
    for (int i = 0; i < 4; ++i) {
      keyCodes_[i] = ChordKey(s.SpeakKeyCode, i);
      keyCodes_[4 + i] = ChordKey(s.SilenceKeyCode, i);
    }
    for (int i = 0; i < 8; ++i) SetWindowTextA(Item(KeyCells[i]), KeyNameTable[keyCodes_[i]]);
  }

  void Store(ConfiguratorSettings& s) const override {
    HWND flags = Item(IDC_clGlobalFlags);
    for (int i = 0; i < GlobalFlagCount; ++i) s.flags[i] = ItemChecked(flags, i) ? 1 : 0;
    const uint8_t speak[4] = {keyCodes_[0], keyCodes_[1], keyCodes_[2], keyCodes_[3]};
    const uint8_t silence[4] = {keyCodes_[4], keyCodes_[5], keyCodes_[6], keyCodes_[7]};
    s.SpeakKeyCode = PackKeyChord(speak);
    s.SilenceKeyCode = PackKeyChord(silence);
  }

 private:
  // edKeyA_BSKeyDown: the cell takes the key, Shift, Control and Alt by the
  // side that is down.
  void KeyDown(int cell, WPARAM key) {
    keyCodes_[cell] = SidedKeyCode(static_cast<uint8_t>(key), KeyIsDown);
    SetWindowTextA(Item(KeyCells[cell]), KeyNameTable[keyCodes_[cell]]);
  }

  // edKeyA_BSDblClick: the cell is emptied.
  void DoubleClick(int cell) {
    keyCodes_[cell] = 0;
    SetWindowTextA(Item(KeyCells[cell]), "");
  }

  // Every key pressed in a cell is captured there: none types, moves the
  // focus or opens the window menu.
  static LRESULT CALLBACK KeyCellProc(HWND cell, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR index,
                                      DWORD_PTR self) {
    auto* page = reinterpret_cast<ParametersPage*>(self);
    switch (message) {
      case WM_GETDLGCODE:
        return DLGC_WANTALLKEYS | DLGC_WANTCHARS;
      case WM_KEYDOWN:
      case WM_SYSKEYDOWN:
        page->KeyDown(static_cast<int>(index), wParam);
        return 0;
      case WM_KEYUP:
      case WM_SYSKEYUP:
      case WM_CHAR:
      case WM_SYSCHAR:
      case WM_DEADCHAR:
      case WM_SYSDEADCHAR:
        return 0;
      case WM_LBUTTONDBLCLK:
        page->DoubleClick(static_cast<int>(index));
        return 0;
    }
    return DefSubclassProc(cell, message, wParam, lParam);
  }

  uint8_t keyCodes_[8] = {};  // one per key cell, in the order of KeyCells
};

}  // namespace

std::unique_ptr<ConfigPage> MakeParametersPage(TfmTCfgMain& window) {
  return std::make_unique<ParametersPage>(window);
}
