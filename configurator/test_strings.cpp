#include "configurator/test_strings.h"

#include <windows.h>

int StepTestString(const std::string& gameIniPath, int step, std::string& text) {
  int tries = 30;
  const bool backward = step < 0;
  int index = backward ? -step : step;
  text.clear();
  char value[4096];
  while (text.empty() && tries > 0) {
    --tries;
    if (backward) {
      if (--index < 2) index = 20;
    } else {
      if (++index > 20) index = 1;
    }
    const std::string key = "Level" + std::to_string(index);
    GetPrivateProfileStringA("Level Up", key.c_str(), "", value, sizeof value, gameIniPath.c_str());
    text = value;
  }
  return index;
}
