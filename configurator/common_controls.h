// What the configurator's pages share of the common controls: the text
// table's texts on screen, sliders, drop-down lists, and tab controls with
// the child dialogs shown under them.
#pragma once
#include <windows.h>

#include <string>

// A text of the table as the controls show it: the table is in code page
// 1251 whatever the system's code page is.
std::wstring FromTable(const std::string& text);

int SliderPosition(HWND slider);
// The slider clamps a position outside its range to the nearest end.
void SetSliderPosition(HWND slider, int position);
void SetupSlider(HWND slider, int low, int high, int tick, int position);

// Replaces the items of a drop-down list by the items of a list text.
void FillList(HWND list, const std::string& items);
// The selected item without leading and trailing blanks; empty when none is.
std::string SelectedItem(HWND list);

// Makes a list view a check list: a check box on each row, whole rows
// selected, one column as wide as the list leaves beside its scroll bar.
void SetupCheckList(HWND list);
// The check box of item `item` of a list view with check boxes.
bool ItemChecked(HWND list, int item);
void SetItemChecked(HWND list, int item, bool checked);

// The first window below `root`, at any depth, with the control id `id`.
HWND FindControl(HWND root, int id);

// A page from its dialog template, with the themed background of a tab.
HWND CreatePage(HWND parent, int dialog, DLGPROC proc, LPARAM param);
void AddTab(HWND tab, int index);
void SetTabCaption(HWND tab, int index, const std::wstring& text);
// Places `page` over the page area of the tab control `tab`.
void PlaceInTab(HWND tab, HWND page);
// Selects tab `index` and shows its page alone.
void ShowTab(HWND tab, const HWND* pages, int count, int index);
// Lets the last control of a page reach down to the page's bottom, however
// tall the dialog font makes the page.
void StretchToBottom(HWND control);
