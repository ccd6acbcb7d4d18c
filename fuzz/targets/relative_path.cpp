// The module loader's entry for the plug-in: the folder of the game and the
// folder of the configurator as a player's disk may name them.  Input: the
// two paths separated by a NUL.  Properties: a path on the same drive comes
// back without its drive and never longer than the way up plus the way down;
// the folder part of any result is a prefix of it ending in a backslash or
// colon.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "configurator/relative_path.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string input(reinterpret_cast<const char*>(data), size);
  const size_t split = input.find('\0');
  const std::string from = input.substr(0, split);
  const std::string file = split == std::string::npos ? std::string() : input.substr(split + 1);
  const std::string relative = RelativePath(from, file);
  if (relative.size() > file.size() + 3 * (from.size() + 1)) std::abort();
  const std::string folder = FolderPart(relative);
  if (relative.compare(0, folder.size(), folder) != 0) std::abort();
  if (!folder.empty() && folder.back() != '\\' && folder.back() != ':') std::abort();
  return 0;
}
