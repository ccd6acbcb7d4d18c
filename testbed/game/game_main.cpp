// The game double: stands in for Morrowind.exe.  It loads MLDRLib.dll and then
// the plug-in, as the module loader does inside the game.
#include "host/host_driver.h"

int main(int argc, char** argv) { return RunHost(argc, argv); }
