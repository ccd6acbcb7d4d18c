#include "configurator/common_controls.h"

#include <commctrl.h>
#include <uxtheme.h>

#include "configurator/localize_table.h"

namespace {
constexpr UINT Cp1251 = 1251;
}

std::wstring FromTable(const std::string& text) {
  if (text.empty()) return L"";
  std::wstring wide(text.size(), L'\0');
  wide.resize(MultiByteToWideChar(Cp1251, 0, text.data(), static_cast<int>(text.size()), wide.data(),
                                  static_cast<int>(wide.size())));
  return wide;
}

int SliderPosition(HWND slider) { return static_cast<int>(SendMessageW(slider, TBM_GETPOS, 0, 0)); }

void SetSliderPosition(HWND slider, int position) { SendMessageW(slider, TBM_SETPOS, TRUE, position); }

void SetupSlider(HWND slider, int low, int high, int tick, int position) {
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

// A list view's state image 1 is the empty check box, 2 the ticked one.
void SetupCheckList(HWND list) {
  SendMessageW(list, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT,
               LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT);
  RECT area;
  GetClientRect(list, &area);
  LVCOLUMNW column{};
  column.mask = LVCF_WIDTH;
  column.cx = area.right - GetSystemMetrics(SM_CXVSCROLL);
  SendMessageW(list, LVM_INSERTCOLUMNW, 0, reinterpret_cast<LPARAM>(&column));
}

bool ItemChecked(HWND list, int item) {
  return ((SendMessageW(list, LVM_GETITEMSTATE, item, LVIS_STATEIMAGEMASK) & LVIS_STATEIMAGEMASK) >> 12) == 2;
}
void SetItemChecked(HWND list, int item, bool checked) {
  LVITEMW state{};
  state.stateMask = LVIS_STATEIMAGEMASK;
  state.state = INDEXTOSTATEIMAGEMASK(checked ? 2 : 1);
  SendMessageW(list, LVM_SETITEMSTATE, item, reinterpret_cast<LPARAM>(&state));
}

HWND FindControl(HWND root, int id) {
  struct Search {
    int id;
    HWND found;
    static BOOL CALLBACK Visit(HWND child, LPARAM self) {
      auto* search = reinterpret_cast<Search*>(self);
      if (GetDlgCtrlID(child) != search->id) return TRUE;
      search->found = child;
      return FALSE;
    }
  } search{id, nullptr};
  EnumChildWindows(root, Search::Visit, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

HWND CreatePage(HWND parent, int dialog, DLGPROC proc, LPARAM param) {
  HWND page = CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(dialog), parent, proc, param);
  EnableThemeDialogTexture(page, ETDT_ENABLETAB);
  return page;
}

void AddTab(HWND tab, int index) {
  TCITEMW item{};
  item.mask = TCIF_TEXT;
  item.pszText = const_cast<wchar_t*>(L"");
  SendMessageW(tab, TCM_INSERTITEMW, index, reinterpret_cast<LPARAM>(&item));
}

void SetTabCaption(HWND tab, int index, const std::wstring& text) {
  std::wstring caption = text;
  TCITEMW item{};
  item.mask = TCIF_TEXT;
  item.pszText = caption.data();
  SendMessageW(tab, TCM_SETITEMW, index, reinterpret_cast<LPARAM>(&item));
}

void PlaceInTab(HWND tab, HWND page) {
  RECT area;
  GetClientRect(tab, &area);
  SendMessageW(tab, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&area));
  MapWindowPoints(tab, GetParent(page), reinterpret_cast<POINT*>(&area), 2);
  SetWindowPos(page, HWND_TOP, area.left, area.top, area.right - area.left, area.bottom - area.top,
               SWP_NOACTIVATE);
}

void ShowTab(HWND tab, const HWND* pages, int count, int index) {
  SendMessageW(tab, TCM_SETCURSEL, index, 0);
  for (int i = 0; i < count; ++i) ShowWindow(pages[i], i == index ? SW_SHOW : SW_HIDE);
}

void StretchToBottom(HWND control) {
  HWND page = GetParent(control);
  RECT area, at;
  GetClientRect(page, &area);
  GetWindowRect(control, &at);
  MapWindowPoints(nullptr, page, reinterpret_cast<POINT*>(&at), 2);
  SetWindowPos(control, nullptr, 0, 0, at.right - at.left, area.bottom - 4 - at.top, SWP_NOMOVE | SWP_NOZORDER);
}
