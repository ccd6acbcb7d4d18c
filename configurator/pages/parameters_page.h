// PARAMETERS: the two key chords (START SPEAKING, STOP SPEAKING), four key
// cells each, and the list of the 31 behaviour flags.  Binds SpeakKeyCode,
// SilenceKeyCode and the flags of ConfiguratorSettings.
#pragma once
#include <memory>

#include "configurator/config_page.h"

std::unique_ptr<ConfigPage> MakeParametersPage(TfmTCfgMain& window);
