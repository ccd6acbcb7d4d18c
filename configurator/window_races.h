// The races as the window lists them (the FILTERS page's sliders top to
// bottom, and the TESTING page's race list), each with its pitch slider.
// Everything else names races by the file's order (common/races.h).
#pragma once
#include "common/races.h"
#include "configurator/resource.h"

struct WindowRace {
  Race race;
  int sliderId;
};

inline constexpr WindowRace WindowRaces[RaceCount] = {
    {RaceOrc, IDC_tbVPOrc},           {RaceBreton, IDC_tbVPBreton},     {RaceKhajiit, IDC_tbVPKhajiit},
    {RaceImperial, IDC_tbVPImperial}, {RaceRedguard, IDC_tbVPRedguard}, {RaceNord, IDC_tbVPNord},
    {RaceArgonian, IDC_tbVPArgonian}, {RaceWoodElf, IDC_tbVPWoodElf},   {RaceDarkElf, IDC_tbVPDarkElf},
    {RaceHighElf, IDC_tbVPHighElf},
};
