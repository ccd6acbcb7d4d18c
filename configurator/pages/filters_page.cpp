#include "configurator/pages/filters_page.h"

#include <commctrl.h>

#include <algorithm>
#include <array>

#include "configurator/resource.h"
#include "configurator/window_races.h"

namespace {

// The sliders top to bottom: the three base pitches, then the races in the
// window's order; race = a race of the file's order, or a base pitch.
enum { BaseMale = -1, BaseFemale = -2, BaseCreature = -3 };
struct FilterSlider {
  int id;
  int race;
};
constexpr std::array<FilterSlider, 3 + RaceCount> MakeFilterSliders() {
  std::array<FilterSlider, 3 + RaceCount> sliders{{{IDC_tbBasePitchMale, BaseMale},
                                                    {IDC_tbBasePitchFemale, BaseFemale},
                                                    {IDC_tbBasePitchCreature, BaseCreature}}};
  for (int i = 0; i < RaceCount; ++i) sliders[3 + i] = {WindowRaces[i].sliderId, WindowRaces[i].race};
  return sliders;
}
constexpr auto FilterSliders = MakeFilterSliders();

template <class Settings>
auto& PitchField(Settings& s, int race) {
  switch (race) {
    case BaseMale: return s.VPBaseMale;
    case BaseFemale: return s.VPBaseFemale;
    case BaseCreature: return s.VPBaseCreature;
    default: return s.racePitch[race];
  }
}

class FiltersPage final : public ConfigPage {
 public:
  explicit FiltersPage(TfmTCfgMain& window) : ConfigPage(window, "tsPageFilter", IDD_tsPageFilter) {}

  // The scroll box fills the page and scrolls what it holds.
  void Create() override {
    box_ = CreatePage(hwnd, IDD_sclbDSFilters, BoxProc, reinterpret_cast<LPARAM>(this));
    SetWindowLongPtrW(box_, GWLP_ID, IDC_sclbDSFilters);
    RECT content, page;
    GetClientRect(box_, &content);
    GetClientRect(hwnd, &page);
    contentHeight_ = content.bottom;
    MoveWindow(box_, 0, 0, page.right, page.bottom, FALSE);
    RECT visible;
    GetClientRect(box_, &visible);
    SCROLLINFO scroll{sizeof scroll, SIF_RANGE | SIF_PAGE | SIF_POS, 0, contentHeight_ - 1,
                      static_cast<UINT>(visible.bottom), 0, 0};
    SetScrollInfo(box_, SB_VERT, &scroll, TRUE);
    ShowWindow(box_, SW_SHOW);
    for (const FilterSlider& f : FilterSliders) SetupSlider(GetDlgItem(box_, f.id), -100, 100, 10, 0);
  }

  // Truncated toward zero: a stored -150 shows as -1.
  void Load(const ConfiguratorSettings& s) override {
    for (const FilterSlider& f : FilterSliders) SetSliderPosition(GetDlgItem(box_, f.id), PitchField(s, f.race) / 100);
  }

  void Store(ConfiguratorSettings& s) const override {
    for (const FilterSlider& f : FilterSliders)
      PitchField(s, f.race) = static_cast<int16_t>(SliderPosition(GetDlgItem(box_, f.id)) * 100);
  }

 private:
  static INT_PTR CALLBACK BoxProc(HWND box, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
      SetWindowLongPtrW(box, DWLP_USER, lParam);
      return FALSE;
    }
    auto* page = reinterpret_cast<FiltersPage*>(GetWindowLongPtrW(box, DWLP_USER));
    return page ? page->BoxMessage(message, wParam) : FALSE;
  }

  INT_PTR BoxMessage(UINT message, WPARAM wParam) {
    switch (message) {
      case WM_VSCROLL: {
        RECT client;
        GetClientRect(box_, &client);
        const int line = 20, page = client.bottom;
        int to = scroll_;
        switch (LOWORD(wParam)) {
          case SB_LINEUP: to -= line; break;
          case SB_LINEDOWN: to += line; break;
          case SB_PAGEUP: to -= page; break;
          case SB_PAGEDOWN: to += page; break;
          case SB_TOP: to = 0; break;
          case SB_BOTTOM: to = contentHeight_; break;
          case SB_THUMBTRACK:
          case SB_THUMBPOSITION: to = HIWORD(wParam); break;
        }
        ScrollTo(to);
        return TRUE;
      }
      case WM_MOUSEWHEEL:
        ScrollTo(scroll_ - GET_WHEEL_DELTA_WPARAM(wParam) / WHEEL_DELTA * 40);
        return TRUE;
    }
    return FALSE;
  }

  void ScrollTo(int to) {
    RECT client;
    GetClientRect(box_, &client);
    to = std::max(0, std::min(to, contentHeight_ - static_cast<int>(client.bottom)));
    ScrollWindowEx(box_, 0, scroll_ - to, nullptr, nullptr, nullptr, nullptr,
                   SW_SCROLLCHILDREN | SW_INVALIDATE | SW_ERASE);
    scroll_ = to;
    SetScrollPos(box_, SB_VERT, to, TRUE);
  }

  HWND box_ = nullptr;  // sclbDSFilters
  int scroll_ = 0;
  int contentHeight_ = 0;
};

}  // namespace

std::unique_ptr<ConfigPage> MakeFiltersPage(TfmTCfgMain& window) { return std::make_unique<FiltersPage>(window); }
