#include "configurator/voice_pools.h"

#include <string_view>

#include "common/ascii_case.h"
#include "speech/installed_voices.h"

namespace {

std::vector<InstalledVoiceInfo> Infos(const InstalledVoices& installed) {
  std::vector<InstalledVoiceInfo> infos;
  for (const InstalledVoice& v : installed) infos.push_back({v.description, v.gender});
  return infos;
}

std::vector<std::string_view> Resolved(const std::string& poolText, PoolKind kind,
                                       const std::vector<InstalledVoiceInfo>& infos) {
  std::vector<std::string_view> out(PoolVoicesMax);
  out.resize(static_cast<size_t>(ResolvePool(poolText, kind, infos.data(), static_cast<int>(infos.size()),
                                             out.data(), PoolVoicesMax)));
  return out;
}

std::vector<std::string> Names(const std::string& poolText) {
  std::vector<std::string> names;
  size_t at = 0;
  while (at <= poolText.size()) {
    size_t bar = poolText.find(PoolSeparator, at);
    if (bar == std::string::npos) bar = poolText.size();
    std::string name = poolText.substr(at, bar - at);
    const size_t first = name.find_first_not_of(" \t"), last = name.find_last_not_of(" \t");
    if (first != std::string::npos) names.push_back(name.substr(first, last - first + 1));
    at = bar + 1;
  }
  return names;
}

bool Installed(const std::string& name, const InstalledVoices& installed) {
  for (const InstalledVoice& v : installed)
    if (SameIgnoringCase(v.description, name)) return true;
  return false;
}

bool IsOfGender(const std::string& poolText) {
  const size_t first = poolText.find_first_not_of(" \t"), last = poolText.find_last_not_of(" \t");
  return first != std::string::npos && poolText.substr(first, last - first + 1) == PoolOfGender;
}

}  // namespace

InstalledVoices ListVoicesWithGender() {
  static InstalledVoiceList list;  // large for a window's stack
  InstalledVoices voices;
  if (ListInstalledVoices(list) != 0) return voices;
  for (int i = 0; i < list.count; ++i) voices.push_back({list.voices[i].description, list.voices[i].gender});
  return voices;
}

std::vector<std::string> PoolVoices(const std::string& poolText, PoolKind kind, const InstalledVoices& installed) {
  const std::vector<InstalledVoiceInfo> infos = Infos(installed);
  std::vector<std::string> voices;
  for (std::string_view v : Resolved(poolText, kind, infos)) voices.emplace_back(v);
  return voices;
}

std::vector<bool> PoolChecks(const std::string& poolText, PoolKind kind, const InstalledVoices& installed) {
  std::vector<bool> checks(installed.size(), false);
  // Every voice the text names, also beyond what the plug-in uses of it.
  const std::vector<InstalledVoiceInfo> infos = Infos(installed);
  std::vector<std::string_view> all(installed.size() + 1);
  all.resize(static_cast<size_t>(
      ResolvePool(poolText, kind, infos.data(), static_cast<int>(infos.size()), all.data(), static_cast<int>(all.size()))));
  for (size_t i = 0; i < installed.size(); ++i)
    for (std::string_view v : all)
      if (SameIgnoringCase(v, installed[i].description)) checks[i] = true;
  return checks;
}

std::string PoolText(const std::string& loadedText, PoolKind kind, const InstalledVoices& installed,
                     const std::vector<bool>& checks) {
  if (IsOfGender(loadedText) && checks == PoolChecks(PoolOfGender, kind, installed)) return PoolOfGender;
  std::vector<std::string> names;
  auto add = [&](const std::string& name) {
    for (const std::string& n : names)
      if (SameIgnoringCase(n, name)) return;
    names.push_back(name);
  };
  for (size_t i = 0; i < installed.size() && i < checks.size(); ++i)
    if (checks[i]) add(installed[i].description);
  if (!IsOfGender(loadedText))
    for (const std::string& name : Names(loadedText))
      if (!Installed(name, installed)) add(name);
  std::string text;
  for (const std::string& n : names) text += (text.empty() ? "" : std::string(1, PoolSeparator)) + n;
  return text;
}

TestSpeakerVoice ChooseTestSpeakerVoice(const std::string& speakerId, const std::string& poolText, PoolKind kind,
                                        int32_t variety, const InstalledVoices& installed) {
  const std::vector<InstalledVoiceInfo> infos = Infos(installed);
  const std::vector<std::string_view> pool = Resolved(poolText, kind, infos);
  const std::string id = speakerId.substr(0, SpeakerIdSize - 1);
  const SpeakerVoice chosen = ChooseSpeakerVoice(id, pool.data(), static_cast<int>(pool.size()), variety);
  TestSpeakerVoice test;
  if (chosen.poolIndex >= 0) test.voiceName = pool[static_cast<size_t>(chosen.poolIndex)];
  test.timbre = chosen.timbre;
  return test;
}
