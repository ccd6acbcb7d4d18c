// VOICES: a tab per voice (male, female, creature, document), each with the
// installed voices to choose from and the voice's pitch, rate and volume.
// Binds the voices' names and configurations of ConfiguratorSettings.
#pragma once
#include <memory>

#include "configurator/config_page.h"

std::unique_ptr<ConfigPage> MakeVoicesPage(TfmTCfgMain& window);
