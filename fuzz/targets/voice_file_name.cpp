// The voice-file loader's names: any path the game asks it to load goes
// through VoiceFileAddress first.  Properties: a name the plug-in made reads
// back as the address it was made from; the zoomed volume stays in 0..255
// for any volume and fields of view.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "plugin/speech/voice_file_name.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string path(reinterpret_cast<const char*>(data), size);  // cut at its first NUL, as the game's is
  uint32_t address = 0;
  if (VoiceFileAddress(path.c_str(), &address)) {
    char name[VoiceFileNameSize];
    FormatVoiceFileName(address, name);
    uint32_t back = ~address;
    if (std::strlen(name) != 12 || !VoiceFileAddress(name, &back) || back != address) std::abort();
  }
  if (size >= 12) {
    int32_t v[3];
    std::memcpy(v, data, sizeof v);
    if (ZoomedVoiceVolume(v[0], v[1], v[2]) > 255) std::abort();
  }
  return 0;
}
