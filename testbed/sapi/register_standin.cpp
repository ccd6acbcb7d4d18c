// RegisterSapiStandIn [VOICE ...]: registers QuorrimSapi.dll (beside this
// program) for the SAPI classes and, when voices are given, installs them
// ("Description" or "Description=espeak:VOICE").  Used by scripts/demo.
#include <string>
#include <vector>

#include "sapi_standin_control.h"

int main(int argc, char** argv) {
  char self[MAX_PATH];
  GetModuleFileNameA(nullptr, self, MAX_PATH);
  std::string dir = self;
  dir.resize(dir.find_last_of('\\') + 1);
  if (!sapistandin::Register(dir + sapistandin::DllName)) return 1;
  std::vector<std::string> voices(argv + 1, argv + argc);
  if (!voices.empty()) sapistandin::SetVoices(voices);
  return 0;
}
