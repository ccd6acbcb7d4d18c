#include "plugin/game/menu_pause.h"

void ExitMenuMode() {}

// Until the menu table is in, every menu freezes the world as the game does.
uint8_t MenuFreezeCheck() { return 1; }
