#include "configurator/pages/names_page.h"

#include <commctrl.h>

#include "configurator/lexicon_file.h"
#include "configurator/localize_table.h"
#include "configurator/main_window.h"
#include "configurator/resource.h"
#include "configurator/voice_test.h"

namespace {

std::string TextOf(HWND control) {
  std::string text(static_cast<size_t>(GetWindowTextLengthA(control)) + 1, '\0');
  text.resize(static_cast<size_t>(GetWindowTextA(control, text.data(), static_cast<int>(text.size()))));
  return text;
}

class NamesPage final : public ConfigPage {
 public:
  explicit NamesPage(TfmTCfgMain& window) : ConfigPage(window, "tsPageNames", IDD_tsPageNames) {}

  void Create() override {
    HWND list = Item(IDC_lvLexEntries);
    SendMessageW(list, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT, LVS_EX_FULLROWSELECT);
    RECT area;
    GetClientRect(list, &area);
    const int width = area.right - GetSystemMetrics(SM_CXVSCROLL);
    for (int i = 0; i < 2; ++i) {
      LVCOLUMNW column{};
      column.mask = LVCF_WIDTH;
      column.cx = width / 2;
      SendMessageW(list, LVM_INSERTCOLUMNW, i, reinterpret_cast<LPARAM>(&column));
    }
  }

  // The column heads; a message of the last edit stays in its language.
  void ApplyLanguage(int lang) override {
    const std::vector<std::string> heads = SplitLines(window.Localized(lang, "lvLexEntries"));
    for (size_t i = 0; i < 2 && i < heads.size(); ++i) {
      std::wstring head = FromTable(heads[i]);
      LVCOLUMNW column{};
      column.mask = LVCF_TEXT;
      column.pszText = head.data();
      SendMessageW(Item(IDC_lvLexEntries), LVM_SETCOLUMNW, i, reinterpret_cast<LPARAM>(&column));
    }
    if (statusKey_) SetWindowTextW(Item(IDC_stLblLexStatus), FromTable(window.Localized(lang, statusKey_)).c_str());
  }

  // After sethrim_main.cpp wrote the release's file where there was none.
  // A file that cannot be read is left alone: nothing to edit, nothing
  // written over it.
  void Start() override {
    path_ = window.exeDir + "Lexicon.txt";
    readable_ = LoadLexiconFile(path_, window.lexicon) != LexiconFileRead::Unreadable;
    for (int id : {IDC_bLexAdd, IDC_bLexChange, IDC_bLexRemove}) EnableWindow(Item(id), readable_);
    ShowEntries(-1);
  }

  bool Save() override {
    if (!changed_) return true;
    if (!SaveLexiconFile(path_, window.lexicon)) {
      ReportUnwritable(window, path_);
      return false;
    }
    changed_ = false;
    return true;
  }

  INT_PTR DialogProc(UINT message, WPARAM wParam, LPARAM lParam) override {
    if (message == WM_NOTIFY) {
      const auto* from = reinterpret_cast<const NMLISTVIEW*>(lParam);
      if (from->hdr.idFrom == IDC_lvLexEntries && from->hdr.code == LVN_ITEMCHANGED &&
          (from->uNewState & LVIS_SELECTED) && !(from->uOldState & LVIS_SELECTED))
        ShowForms(from->iItem);
      return FALSE;
    }
    if (message != WM_COMMAND || HIWORD(wParam) != BN_CLICKED) return FALSE;
    switch (LOWORD(wParam)) {
      case IDC_bLexAdd:
        Edited(AddLexiconEntry(window.lexicon, Form(IDC_edLexWritten), Form(IDC_edLexSpoken)));
        break;
      case IDC_bLexChange:
        if (const int row = Selected(); row >= 0)
          Edited(ChangeLexiconEntry(window.lexicon, entries_[row], Form(IDC_edLexWritten), Form(IDC_edLexSpoken)));
        break;
      case IDC_bLexRemove:
        if (const int row = Selected(); row >= 0 && RemoveLexiconEntry(window.lexicon, entries_[row])) {
          changed_ = true;
          SetStatus(nullptr);
          ShowEntries(-1);
        }
        break;
      case IDC_bLexListen:
        bLexListenClick();
        break;
    }
    return TRUE;
  }

 private:
  std::string Form(int id) const { return TextOf(Item(id)); }

  int Selected() const {
    return static_cast<int>(SendMessageW(Item(IDC_lvLexEntries), LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
  }

  // The entries in the order of the file, `line`'s row chosen and in view.
  void ShowEntries(ptrdiff_t line) {
    HWND list = Item(IDC_lvLexEntries);
    SendMessageW(list, WM_SETREDRAW, FALSE, 0);
    SendMessageW(list, LVM_DELETEALLITEMS, 0, 0);
    entries_ = LexiconEntryLines(window.lexicon);
    int chosen = -1;
    for (size_t i = 0; i < entries_.size(); ++i) {
      LexiconFileLine& entry = window.lexicon.lines[entries_[i]];
      LVITEMA item{};
      item.mask = LVIF_TEXT;
      item.iItem = static_cast<int>(i);
      item.pszText = entry.written.data();
      const int row = static_cast<int>(SendMessageA(list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)));
      item.iSubItem = 1;
      item.pszText = entry.spoken.data();
      SendMessageA(list, LVM_SETITEMTEXTA, row, reinterpret_cast<LPARAM>(&item));
      if (static_cast<ptrdiff_t>(entries_[i]) == line) chosen = row;
    }
    SendMessageW(list, WM_SETREDRAW, TRUE, 0);
    if (chosen >= 0) {
      LVITEMW state{};
      state.stateMask = state.state = LVIS_SELECTED | LVIS_FOCUSED;
      SendMessageW(list, LVM_SETITEMSTATE, chosen, reinterpret_cast<LPARAM>(&state));
      SendMessageW(list, LVM_ENSUREVISIBLE, chosen, FALSE);
    }
    InvalidateRect(list, nullptr, TRUE);
  }

  void ShowForms(int row) {
    if (row < 0 || static_cast<size_t>(row) >= entries_.size()) return;
    const LexiconFileLine& entry = window.lexicon.lines[entries_[row]];
    SetWindowTextA(Item(IDC_edLexWritten), entry.written.c_str());
    SetWindowTextA(Item(IDC_edLexSpoken), entry.spoken.c_str());
  }

  // A refused edit changes nothing and says why; the forms stay to correct.
  void Edited(const LexiconEditResult& result) {
    switch (result.edit) {
      case LexiconEdit::Done:
        changed_ = true;
        SetStatus(nullptr);
        ShowEntries(static_cast<ptrdiff_t>(result.line));
        break;
      case LexiconEdit::NotAnEntry:
        SetStatus("LexNotAnEntry");
        break;
      case LexiconEdit::Repeated:
        SetStatus("LexRepeated");
        ShowEntries(static_cast<ptrdiff_t>(result.line));
        break;
      case LexiconEdit::NoSuchEntry:
        ShowEntries(-1);
        break;
    }
  }

  void SetStatus(const char* key) {
    statusKey_ = key;
    SetWindowTextW(Item(IDC_stLblLexStatus), key ? FromTable(window.Localized(window.currentLang, key)).c_str() : L"");
  }

  // The chosen entry's written form as the male voice of the VOICES page
  // says it in the game: through the lexicon, as plain text.
  void bLexListenClick() {
    const int row = Selected();
    if (row < 0) return;
    FormToSettings(window);
    const FileLexicon lexicon(window.lexicon);
    HearTestVoice(window.TestVoice, window.testSound, window.settings, TestMale, -1,
                  window.lexicon.lines[entries_[row]].written, &lexicon.get(), /*textIsMarkup=*/false);
  }

  std::string path_;            // exeDir + Lexicon.txt
  bool readable_ = false;
  bool changed_ = false;        // since it was read or written
  std::vector<size_t> entries_; // the list's rows: their lines in the file
  const char* statusKey_ = nullptr;
};

}  // namespace

std::unique_ptr<ConfigPage> MakeNamesPage(TfmTCfgMain& window) { return std::make_unique<NamesPage>(window); }
