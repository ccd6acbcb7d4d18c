// The ten races that have a pitch of their own, in the order of their keys in
// RaceConfig.  The plug-in knows a speaker's race by its id in the game's
// data, the settings file by its pitch key; everything else indexes by Race.
#pragma once

enum Race { RaceOrc, RaceNord, RaceBreton, RaceKhajiit, RaceDarkElf, RaceHighElf, RaceWoodElf, RaceArgonian,
            RaceImperial, RaceRedguard, RaceCount };

struct RaceNames {
  Race race;
  const char* gameId;    // as the game's race record names it, compared exactly
  const char* pitchKey;  // its key in RaceConfig
};

inline constexpr RaceNames Races[RaceCount] = {
    {RaceOrc, "Orc", "VPOrc"},
    {RaceNord, "Nord", "VPNord"},
    {RaceBreton, "Breton", "VPBreton"},
    {RaceKhajiit, "Khajiit", "VPKhajiit"},
    {RaceDarkElf, "Dark Elf", "VPDarkElf"},
    {RaceHighElf, "High Elf", "VPHighElf"},
    {RaceWoodElf, "Wood Elf", "VPWoodElf"},
    {RaceArgonian, "Argonian", "VPArgonian"},
    {RaceImperial, "Imperial", "VPImperial"},
    {RaceRedguard, "Redguard", "VPRedguard"},
};

constexpr bool RacesAtTheirIndex() {
  for (int i = 0; i < RaceCount; ++i)
    if (Races[i].race != i) return false;
  return true;
}
static_assert(RacesAtTheirIndex(), "each race's names sit at the index of its Race");
