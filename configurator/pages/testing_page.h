// TESTING: the level-up texts of the game's Morrowind.ini to step through,
// the race and the voice kind, and LISTEN, which speaks the text with what
// the window shows now, saved or not.  Binds nothing of its own.
#pragma once
#include <memory>

#include "configurator/config_page.h"

std::unique_ptr<ConfigPage> MakeTestingPage(TfmTCfgMain& window);
