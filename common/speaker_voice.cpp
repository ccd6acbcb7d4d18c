#include "common/speaker_voice.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "common/ascii_case.h"
#include "common/voice_config.h"

namespace {

constexpr uint64_t FnvOffset = 0xCBF29CE484222325ull;
constexpr uint64_t FnvPrime = 0x100000001B3ull;

constexpr char AsciiLower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

uint64_t FoldedFnv(std::string_view text) {
  uint64_t hash = FnvOffset;
  for (char c : text) {
    hash ^= static_cast<uint8_t>(AsciiLower(c));
    hash *= FnvPrime;
  }
  return hash;
}

// FNV-1a spreads a change of the last byte poorly over the high bits; the
// finalizer of SplitMix64 makes every bit depend on every bit.
constexpr uint64_t Mix(uint64_t z) {
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
  return z ^ (z >> 31);
}

// Sixteen bits of the hash as an offset within -span..span: a larger span
// scales the same bits, so a speaker's offset keeps its sign.
int32_t Offset(uint64_t bits, int32_t span) {
  const uint64_t sixteen = bits & 0xFFFF;
  return static_cast<int32_t>((sixteen * static_cast<uint64_t>(2 * span + 1)) >> 16) - span;
}

bool FoldedLess(std::string_view a, std::string_view b) {
  const size_t n = a.size() < b.size() ? a.size() : b.size();
  for (size_t i = 0; i < n; ++i) {
    const auto x = static_cast<uint8_t>(AsciiLower(a[i])), y = static_cast<uint8_t>(AsciiLower(b[i]));
    if (x != y) return x < y;
  }
  return a.size() < b.size();
}

std::string_view Trimmed(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return s;
}

// Whether `name` is among the pool text's names.
bool PoolNames(std::string_view poolText, std::string_view name) {
  while (!poolText.empty()) {
    const size_t bar = poolText.find(PoolSeparator);
    const std::string_view part = Trimmed(poolText.substr(0, bar));
    if (!part.empty() && SameIgnoringCase(part, name)) return true;
    if (bar == std::string_view::npos) break;
    poolText.remove_prefix(bar + 1);
  }
  return false;
}

int32_t Clamped(int32_t value, int32_t low, int32_t high) { return value < low ? low : value > high ? high : value; }

int32_t Clamped64(int64_t value) {
  return static_cast<int32_t>(value < INT32_MIN ? INT32_MIN : value > INT32_MAX ? INT32_MAX : value);
}

}  // namespace

uint64_t SpeakerIdHash(std::string_view id) { return FoldedFnv(id); }

uint64_t PoolScore(uint64_t speakerHash, std::string_view voice) { return Mix(speakerHash ^ FoldedFnv(voice)); }

int ChoosePoolVoice(uint64_t speakerHash, const std::string_view* voices, int count) {
  int best = -1;
  uint64_t bestScore = 0;
  for (int i = 0; i < count; ++i) {
    const uint64_t score = PoolScore(speakerHash, voices[i]);
    if (best < 0 || score > bestScore || (score == bestScore && FoldedLess(voices[i], voices[best]))) {
      best = i;
      bestScore = score;
    }
  }
  return best;
}

SpeakerTimbre TimbreOf(uint64_t speakerHash, int32_t variety) {
  variety = Clamped(variety, 0, VarietyMax);
  // Bits of their own: the pool's scores mix the hash with the voice's.
  const uint64_t bits = Mix(speakerHash + 0x9E3779B97F4A7C15ull);
  SpeakerTimbre t;
  t.voicePitch = Offset(bits, variety);
  t.voiceRate = Offset(bits >> 16, variety);
  t.frequency = Offset(bits >> 32, variety * VarietyHertz);
  return t;
}

int ResolvePool(std::string_view poolText, PoolKind kind, const InstalledVoiceInfo* installed, int installedCount,
                std::string_view* out, int max) {
  poolText = Trimmed(poolText);
  const bool byGender = poolText == PoolOfGender;
  int count = 0;
  for (int i = 0; i < installedCount && count < max; ++i) {
    const InstalledVoiceInfo& v = installed[i];
    if (v.description.empty()) continue;
    const bool wanted = byGender ? SameIgnoringCase(v.gender, PoolGender(kind)) : PoolNames(poolText, v.description);
    if (!wanted) continue;
    bool twice = false;  // SAPI may list two voices of one description
    for (int j = 0; j < count && !twice; ++j) twice = SameIgnoringCase(out[j], v.description);
    if (!twice) out[count++] = v.description;
  }
  return count;
}

SpeakerVoice ChooseSpeakerVoice(std::string_view id, const std::string_view* pool, int poolCount, int32_t variety) {
  SpeakerVoice chosen;
  if (id.empty()) return chosen;
  const uint64_t hash = SpeakerIdHash(id);
  chosen.poolIndex = ChoosePoolVoice(hash, pool, poolCount);
  chosen.timbre = TimbreOf(hash, variety);
  return chosen;
}

bool ConfigAttributeValue(const char* config, const char* key, int32_t* value) {
  const size_t length = strnlen(config, VoiceConfigSize - 1);
  const size_t keyLength = std::strlen(key);
  for (size_t at = 0; at + keyLength <= length; ++at) {
    if (!SameIgnoringCase({config + at, keyLength}, {key, keyLength})) continue;
    size_t i = at + keyLength;
    while (i < length && config[i] == ' ') ++i;
    if (i >= length || config[i] != '=') return false;
    ++i;
    while (i < length && config[i] == ' ') ++i;
    if (i >= length || config[i] != '"') return false;
    ++i;
    bool negative = false;
    if (i < length && (config[i] == '-' || config[i] == '+')) negative = config[i++] == '-';
    int64_t number = 0;
    size_t digits = 0;
    for (; i < length && config[i] >= '0' && config[i] <= '9'; ++i, ++digits)
      if (number <= INT32_MAX) number = number * 10 + (config[i] - '0');  // beyond 32 bits: the nearest end
    if (digits == 0 || i >= length || config[i] != '"') return false;
    *value = Clamped64(negative ? -number : number);
    return true;
  }
  return false;
}

void ApplyTimbreToConfig(char* config, const SpeakerTimbre& timbre) {
  const struct {
    const char* key;
    int32_t offset;
  } parts[] = {{PitchAttribute, timbre.voicePitch}, {RateAttribute, timbre.voiceRate}};
  for (const auto& part : parts) {
    int32_t value = 0;
    if (part.offset == 0 || !ConfigAttributeValue(config, part.key, &value)) continue;
    // A hand-edited value may be anything: added in 64 bits, not to overflow.
    SetConfigAttribute(Clamped64(std::clamp<int64_t>(int64_t{value} + part.offset, -10, 10)), part.key, config);
  }
}
