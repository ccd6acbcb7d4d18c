// INFORMATION: the help document of the language, readable and scrollable
// but not selectable, and the hidden list of the key names.  Binds nothing.
#pragma once
#include <memory>

#include "configurator/config_page.h"

std::unique_ptr<ConfigPage> MakeInformationPage(TfmTCfgMain& window);
