#include "configurator/application_window.h"

namespace {

HWND MainOf(HWND application) { return reinterpret_cast<HWND>(GetWindowLongPtrW(application, GWLP_USERDATA)); }

LRESULT CALLBACK ApplicationProc(HWND application, UINT message, WPARAM wParam, LPARAM lParam) {
  HWND main = MainOf(application);
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

}  // namespace

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

void SetApplicationMainWindow(HWND application, HWND main) {
  SetWindowLongPtrW(application, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(main));
}
