// The speakers' own voices on what a hand-edited settings file and a SAPI
// installation may hand them: any pool text, any installed descriptions and
// genders, any speaker id, any voice configuration in its 128-byte buffer
// (allocated to exactly its size, so a read past it is an AddressSanitizer
// report).
//
// Input: 1 byte variety, then NUL-separated fields: the pool text, the id,
// the configuration, then installed voices as description and gender.
// Properties: the resolved pool is at most its room, each name once, each an
// installed description; the choice is an index of it (or -1 for none, and
// then only for an empty pool or id); the timbre is within the variety; the
// configuration stays terminated inside its buffer, and a timbre of 0
// leaves it as it was.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "common/ascii_case.h"
#include "common/speaker_voice.h"
#include "common/voice_config.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  const int32_t variety = static_cast<int8_t>(data[0]);
  std::vector<std::string> fields;
  std::string field;
  for (size_t i = 1; i < size; ++i) {
    if (data[i] == 0) {
      fields.push_back(field);
      field.clear();
    } else {
      field += static_cast<char>(data[i]);
    }
  }
  fields.push_back(field);
  while (fields.size() < 3) fields.emplace_back();
  const std::string& pool = fields[0];
  const std::string& id = fields[1];
  std::vector<InstalledVoiceInfo> installed;
  for (size_t i = 3; i < fields.size(); i += 2)
    installed.push_back({fields[i], i + 1 < fields.size() ? std::string_view(fields[i + 1]) : std::string_view()});

  for (int kind = 0; kind < PoolKindCount; ++kind) {
    std::string_view out[PoolVoicesMax];
    const int n = ResolvePool(pool, PoolKind(kind), installed.data(), static_cast<int>(installed.size()), out,
                              PoolVoicesMax);
    if (n < 0 || n > PoolVoicesMax) std::abort();
    for (int i = 0; i < n; ++i) {
      bool isInstalled = false;
      for (const InstalledVoiceInfo& v : installed) isInstalled = isInstalled || v.description == out[i];
      if (!isInstalled || out[i].empty()) std::abort();
      for (int j = 0; j < i; ++j)
        if (SameIgnoringCase(out[i], out[j])) std::abort();
    }
    const SpeakerVoice chosen = ChooseSpeakerVoice(id, out, n, variety);
    if (chosen.poolIndex >= n || (chosen.poolIndex < 0 && n > 0 && !id.empty())) std::abort();
    const int32_t v = variety < 0 ? 0 : variety > VarietyMax ? VarietyMax : variety;
    if (std::abs(chosen.timbre.voicePitch) > v || std::abs(chosen.timbre.voiceRate) > v ||
        std::abs(chosen.timbre.frequency) > v * VarietyHertz)
      std::abort();

    std::unique_ptr<char[]> config(new char[VoiceConfigSize]);
    std::memset(config.get(), 0, VoiceConfigSize);
    std::memcpy(config.get(), fields[2].data(), std::min<size_t>(fields[2].size(), VoiceConfigSize));
    const std::string before(config.get(), strnlen(config.get(), VoiceConfigSize));
    int32_t value;
    ConfigAttributeValue(config.get(), PitchAttribute, &value);
    ApplyTimbreToConfig(config.get(), chosen.timbre);
    if (strnlen(config.get(), VoiceConfigSize) == VoiceConfigSize && before.size() < VoiceConfigSize) std::abort();
    if (chosen.timbre.voicePitch == 0 && chosen.timbre.voiceRate == 0 &&
        before != std::string(config.get(), strnlen(config.get(), VoiceConfigSize)))
      std::abort();
  }
  return 0;
}
