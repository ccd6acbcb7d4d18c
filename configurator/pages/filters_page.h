// FILTERS: in a scrolling box, the base pitch of the male, female and
// creature voices and the pitch of each race, -100..100.  Binds VPBase* and
// the race pitches of ConfiguratorSettings (slider position x 100).
#pragma once
#include <memory>

#include "configurator/config_page.h"

std::unique_ptr<ConfigPage> MakeFiltersPage(TfmTCfgMain& window);
