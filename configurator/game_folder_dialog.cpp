#include "configurator/game_folder_dialog.h"

#include <commdlg.h>

#include "configurator/configurator_settings.h"

std::string AskForGameDirectory(HWND owner, const std::wstring& title) {
  wchar_t file[MAX_PATH] = L"Morrowind.ini";
  OPENFILENAMEW dialog{};
  dialog.lStructSize = sizeof dialog;
  dialog.hwndOwner = owner;
  dialog.lpstrFilter = L"Morrowind.ini\0Morrowind.ini\0";
  dialog.lpstrFile = file;
  dialog.nMaxFile = MAX_PATH;
  dialog.lpstrTitle = title.c_str();
  dialog.lpstrDefExt = L"ini";
  dialog.Flags = OFN_HIDEREADONLY | OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST | OFN_EXPLORER;
  dialog.FlagsEx = OFN_EX_NOPLACESBAR;
  if (!GetOpenFileNameW(&dialog)) ExitProcess(0);
  char path[MAX_PATH];
  WideCharToMultiByte(CP_ACP, 0, file, -1, path, sizeof path, nullptr, nullptr);
  std::string folder = path;
  folder.resize(FindCharFromEnd(folder, '\\', 1, 0) + 1);
  return folder;
}
