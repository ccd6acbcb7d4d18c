// Stand-in for the module loader's own program: it exports IsModuleLoader,
// which is how the plug-in knows it is not inside the game.
#include "host/host_driver.h"

extern "C" __declspec(dllexport) int IsModuleLoader() { return 1; }

int main(int argc, char** argv) { return RunHost(argc, argv); }
