// Which voice of its kind's pool a speaker gets, and its timbre: fixed for
// good, since players hear a change of the hash as every character of the
// game swapping voices.  Portable: also run natively under the sanitizers.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "common/speaker_voice.h"
#include "common/voice_config.h"

namespace {

std::string_view const Pool4[] = {"Arden", "Bryn", "Corin", "Dace"};

std::string Id(int i) { return "npc_" + std::to_string(i); }

TEST(SpeakerIdHash, IsFnv1a64OfTheLowerCasedId) {
  const struct {
    const char* id;
    uint64_t hash;
  } cases[] = {
      {"", 0xCBF29CE484222325ull},        // FNV-1a's offset basis
      {"a", 0xAF63DC4C8601EC8Cull},       // the published test vectors
      {"foobar", 0x85944171F73967E8ull},
      {"FooBar", 0x85944171F73967E8ull},  // folded before hashing
      {"fargoth", 0x32D94BBB58A6C9A0ull},
  };
  for (const auto& c : cases) EXPECT_EQ(SpeakerIdHash(c.id), c.hash) << c.id;
}

// A change here reshuffles the voices of every saved game's characters.
TEST(ChooseSpeakerVoice, FixedTable) {
  const struct {
    const char* id;
    int32_t variety;
    int voice;
    SpeakerTimbre timbre;
  } cases[] = {
      {"fargoth", 5, 2, {-2, -3, 96}},
      {"FARGOTH", 5, 2, {-2, -3, 96}},
      {"caius cosades", 5, 2, {-1, 1, -688}},
      {"dralasa nerethi", 5, 2, {4, 5, -152}},
      {"gharz gro-shagdul", 5, 1, {-4, 5, -387}},
      {"mudcrab", 5, 1, {-2, 5, -325}},
      {"player", 5, 0, {1, -1, -161}},
      {"vivec", 5, 0, {3, 2, -611}},
      {"fargoth", 0, 2, {0, 0, 0}},
      {"", 5, -1, {0, 0, 0}},  // no id: the kind's own voice, as without a pool
  };
  for (const auto& c : cases) {
    const SpeakerVoice v = ChooseSpeakerVoice(c.id, Pool4, 4, c.variety);
    EXPECT_EQ(v.poolIndex, c.voice) << c.id;
    EXPECT_EQ(v.timbre, c.timbre) << c.id << " variety " << c.variety;
  }
}

TEST(ChooseSpeakerVoice, TheSameIdAlwaysTheSameVoiceAndTimbre) {
  for (int i = 0; i < 200; ++i) {
    const std::string id = Id(i);
    const SpeakerVoice first = ChooseSpeakerVoice(id, Pool4, 4, 7);
    const SpeakerVoice again = ChooseSpeakerVoice(std::string(id), Pool4, 4, 7);
    EXPECT_EQ(first.poolIndex, again.poolIndex);
    EXPECT_EQ(first.timbre, again.timbre);
  }
}

TEST(ChooseSpeakerVoice, EmptyPoolKeepsTheKindsVoiceButNotItsTimbre) {
  const SpeakerVoice v = ChooseSpeakerVoice("fargoth", nullptr, 0, 5);
  EXPECT_EQ(v.poolIndex, -1);
  EXPECT_EQ(v.timbre, (SpeakerTimbre{-2, -3, 96}));
}

// A fourth voice takes over only speakers it wins, about a quarter of them;
// a modulo choice would move about three quarters.
TEST(ChoosePoolVoice, GrowingThePoolMovesFewSpeakersAndOnlyToTheNewVoice) {
  int moved = 0;
  for (int i = 0; i < 1000; ++i) {
    const uint64_t h = SpeakerIdHash(Id(i));
    const int before = ChoosePoolVoice(h, Pool4, 3), after = ChoosePoolVoice(h, Pool4, 4);
    if (before == after) continue;
    ++moved;
    EXPECT_EQ(after, 3) << Id(i);
  }
  EXPECT_LE(moved, 350);
  EXPECT_GT(moved, 0);
}

TEST(ChoosePoolVoice, NeitherTheOrderNorTheCaseOfTheNamesMatters) {
  std::string_view const shuffled[] = {"dace", "CORIN", "Arden", "bryn"};
  const int map[] = {3, 2, 0, 1};  // Pool4's index of each shuffled name
  for (int i = 0; i < 500; ++i) {
    const uint64_t h = SpeakerIdHash(Id(i));
    EXPECT_EQ(map[ChoosePoolVoice(h, shuffled, 4)], ChoosePoolVoice(h, Pool4, 4)) << Id(i);
  }
}

TEST(ChoosePoolVoice, EveryVoiceGetsItsShare) {
  int share[4] = {};
  for (int i = 0; i < 1000; ++i) ++share[ChoosePoolVoice(SpeakerIdHash(Id(i)), Pool4, 4)];
  for (int s : share) {
    EXPECT_GT(s, 180);
    EXPECT_LT(s, 320);
  }
}

TEST(TimbreOf, StaysWithinTheVarietyAndKeepsItsDirection) {
  for (int i = 0; i < 1000; ++i) {
    const uint64_t h = SpeakerIdHash(Id(i));
    EXPECT_EQ(TimbreOf(h, 0), SpeakerTimbre{});
    EXPECT_EQ(TimbreOf(h, -3), SpeakerTimbre{});
    EXPECT_EQ(TimbreOf(h, 25), TimbreOf(h, VarietyMax));
    const SpeakerTimbre wide = TimbreOf(h, VarietyMax);
    for (int32_t v = 1; v <= VarietyMax; ++v) {
      const SpeakerTimbre t = TimbreOf(h, v);
      EXPECT_LE(std::abs(t.voicePitch), v);
      EXPECT_LE(std::abs(t.voiceRate), v);
      EXPECT_LE(std::abs(t.frequency), v * VarietyHertz);
      EXPECT_GE(t.voicePitch * wide.voicePitch, 0) << Id(i) << " variety " << v;
      EXPECT_GE(t.frequency * wide.frequency, 0) << Id(i) << " variety " << v;
    }
  }
}

TEST(TimbreOf, ReachesBothEndsOfTheRange) {
  int32_t low = 0, high = 0, lowHz = 0, highHz = 0;
  for (int i = 0; i < 1000; ++i) {
    const SpeakerTimbre t = TimbreOf(SpeakerIdHash(Id(i)), 4);
    low = std::min(low, t.voiceRate), high = std::max(high, t.voiceRate);
    lowHz = std::min(lowHz, t.frequency), highHz = std::max(highHz, t.frequency);
  }
  EXPECT_EQ(low, -4);
  EXPECT_EQ(high, 4);
  EXPECT_LT(lowHz, -550);
  EXPECT_GT(highHz, 550);
}

TEST(ResolvePool, Table) {
  const InstalledVoiceInfo installed[] = {
      {"Arden", "Male"}, {"Bryn", "female"}, {"Corin", "Male"}, {"Nix", "Neutral"}, {"Arden", "Male"}, {"Odd", ""},
  };
  const struct {
    const char* text;
    PoolKind kind;
    std::vector<std::string> pool;
  } cases[] = {
      {"*", PoolMale, {"Arden", "Corin"}},  // by the tokens' Gender, each voice once
      {" * ", PoolFemale, {"Bryn"}},
      {"*", PoolCreature, {"Nix"}},
      {"corin|ARDEN", PoolMale, {"Arden", "Corin"}},  // as installed, in their order
      {" Bryn | Gone |Corin", PoolMale, {"Bryn", "Corin"}},  // not installed: left out
      {"Arden|Arden", PoolFemale, {"Arden"}},  // a name stands for its voice whatever the kind
      {"", PoolMale, {}},
      {"|||", PoolMale, {}},
      {"Ard", PoolMale, {}},  // a whole name, not a part
      {"**", PoolMale, {}},
  };
  for (const auto& c : cases) {
    std::string_view out[8];
    const int n = ResolvePool(c.text, c.kind, installed, 6, out, 8);
    std::vector<std::string> got(out, out + n);
    EXPECT_EQ(got, c.pool) << c.text;
  }
  std::string_view one[1];
  EXPECT_EQ(ResolvePool("*", PoolMale, installed, 6, one, 1), 1);  // never beyond the room given
}

std::string Config(int pitch, int rate, int volume) {
  char buffer[VoiceConfigSize];
  std::snprintf(buffer, sizeof buffer, VoiceConfigFormat, pitch, rate, volume);
  return buffer;
}

TEST(ApplyTimbreToConfig, Table) {
  const struct {
    std::string before;
    SpeakerTimbre timbre;
    std::string after;
  } cases[] = {
      {Config(0, 0, 100), {3, -2, 500}, Config(3, -2, 100)},
      {Config(8, -9, 50), {5, -5, 0}, Config(10, -10, 50)},  // kept within -10..10
      {Config(-4, 2, 70), {0, 0, 750}, Config(-4, 2, 70)},    // the frequency is the buffer's, not the voice's
      {"<rate absspeed=\"1\">", {2, 2, 0}, "<rate absspeed=\"3\">"},
      {"", {4, 4, 0}, ""},
      {"<pitch absmiddle=\"x\">", {4, 0, 0}, "<pitch absmiddle=\"x\">"},
      {"<rate absspeed=\"-99999999999\">", {0, -4, 0}, "<rate absspeed=\"-10\">"},  // a hand-edited value, no overflow
  };
  for (const auto& c : cases) {
    char config[VoiceConfigSize] = {};
    std::strcpy(config, c.before.c_str());
    ApplyTimbreToConfig(config, c.timbre);
    EXPECT_EQ(std::string(config), c.after) << c.before;
  }
}

TEST(ConfigAttributeValue, Table) {
  const struct {
    const char* config;
    const char* key;
    bool found;
    int32_t value;
  } cases[] = {
      {"<pitch absmiddle=\"-7\"><rate absspeed=\"3\">", PitchAttribute, true, -7},
      {"<pitch absmiddle=\"-7\"><rate absspeed=\"3\">", RateAttribute, true, 3},
      {"<PITCH ABSMIDDLE = \"+2\">", PitchAttribute, true, 2},
      {"<pitch absmiddle=\"99999999999\">", PitchAttribute, true, INT32_MAX},
      {"<pitch absmiddle=\"\">", PitchAttribute, false, 0},
      {"<pitch absmiddle=\"4", PitchAttribute, false, 0},
      {"<pitch absmiddle=4>", PitchAttribute, false, 0},
      {"", PitchAttribute, false, 0},
  };
  for (const auto& c : cases) {
    int32_t value = 0;
    EXPECT_EQ(ConfigAttributeValue(c.config, c.key, &value), c.found) << c.config;
    if (c.found) {
      EXPECT_EQ(value, c.value) << c.config;
    }
  }
}

}  // namespace
