// INSTALLING: INSTALL and UNINSTALL of the plug-in in the module loader's
// list with the log of the installation's state, and the two language
// buttons.  Binds LangIndex of ConfiguratorSettings.
#pragma once
#include <memory>

#include "configurator/config_page.h"

std::unique_ptr<ConfigPage> MakeInstallingPage(TfmTCfgMain& window);
