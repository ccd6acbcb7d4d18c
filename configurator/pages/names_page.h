// NAMES: the pronunciation lexicon (Lexicon.txt beside the configurator,
// where the plug-in reads it) as a list of its entries to add to, change and
// remove from, and LISTEN, which speaks the chosen entry's written form
// through the lexicon with the male voice.  Written back at close, only when
// changed, with its comments and its order.
#pragma once
#include <memory>

#include "configurator/config_page.h"

std::unique_ptr<ConfigPage> MakeNamesPage(TfmTCfgMain& window);
