// A voice of its own for every speaker: which installed voice of its kind's
// pool a speaker is given, and the fixed timbre (voice pitch, voice rate,
// sound frequency) that sets it apart from the others of that voice.  Both
// come from one hash of the speaker's record id, so a speaker sounds the
// same in every session and on every machine that has the same voices.
//
// The plug-in decides with this on its worker for each line, and the
// configurator's LISTEN for the speaker id typed on the TESTING page, so
// that the test sounds as the game will.
//
// Portable: no Windows here, so that the host's sanitizers and fuzzers
// (fuzz/) build it too.  Text is 8-bit; letter case is folded in ASCII only,
// so no code page can change a speaker's voice.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string_view>

// The pool keys' text: voice descriptions separated by PoolSeparator, or
// PoolOfGender alone for every installed voice whose token's Gender
// attribute is the kind's (PoolGender).  An empty text is an empty pool.
inline constexpr char PoolSeparator = '|';
inline constexpr char PoolOfGender[] = "*";

// The three kinds of speaker that have a pool, in the order of their keys.
enum PoolKind { PoolMale, PoolFemale, PoolCreature, PoolKindCount };

// The Gender attribute a kind's voices carry in their SAPI tokens.  SAPI
// knows Male, Female and Neutral; creatures take the neutral voices, since
// a man's or a woman's voice from a mudcrab would be heard as a person.
constexpr const char* PoolGender(PoolKind kind) {
  return kind == PoolMale ? "Male" : kind == PoolFemale ? "Female" : "Neutral";
}

// Variety: 0 no timbre at all; up to VarietyMax steps of the voice's pitch
// and rate either way, and VarietyHertz hertz of the sound's frequency per
// step.
inline constexpr int32_t VarietyMax = 10;
inline constexpr int32_t VarietyHertz = 150;

// How many voices of a pool are used; the ones beyond, in the order they are
// installed, are left out (and the plug-in's log says so).
inline constexpr int PoolVoicesMax = 16;

// Bytes of a speaker id a speak request carries, terminator included; the
// game's ids are shorter.
inline constexpr uint32_t SpeakerIdSize = 64;

// FNV-1a of 64 bits over the id's bytes, ASCII letters folded to lower case.
uint64_t SpeakerIdHash(std::string_view id);

// The rendezvous score of a voice for a speaker: the voice with the highest
// score in the pool is the speaker's.  A voice added to a pool takes over
// only the speakers it now scores highest for (about 1/n of them), and the
// order of the pool's names plays no part.  The name's letter case neither.
uint64_t PoolScore(uint64_t speakerHash, std::string_view voice);

// The index of the speaker's voice in `voices`, -1 for an empty pool.  Of
// two equal scores the name first in ASCII order, case folded, wins.
int ChoosePoolVoice(uint64_t speakerHash, const std::string_view* voices, int count);

struct SpeakerTimbre {
  int32_t voicePitch = 0;  // added to the configuration's pitch (-10..10 scale)
  int32_t voiceRate = 0;   // added to its rate
  int32_t frequency = 0;   // hertz added to the sound buffer's frequency
  bool operator==(const SpeakerTimbre&) const = default;
};

// Each offset is within +-variety (frequency: +-variety x VarietyHertz),
// from bits of the hash that the pool choice does not use.  A speaker keeps
// its direction at every variety: raising it only spreads the crowd.
// A variety outside 0..VarietyMax is taken to the nearest end.
SpeakerTimbre TimbreOf(uint64_t speakerHash, int32_t variety);

// One installed voice as its SAPI token describes it.
struct InstalledVoiceInfo {
  std::string_view description;
  std::string_view gender;  // the token's Gender attribute; empty without one
};

// The voices a pool text names that are installed, at most `max` of them
// into `out` (spelled as installed, each once), in the order they are
// installed; their count.  Names compare without regard to ASCII case;
// blanks around a name are not part of it.
int ResolvePool(std::string_view poolText, PoolKind kind, const InstalledVoiceInfo* installed, int installedCount,
                std::string_view* out, int max);

// What a speaker speaks with.  An empty id (a speaker the game gave none)
// speaks as without a pool: the kind's voice, no timbre.
struct SpeakerVoice {
  int poolIndex = -1;  // into the resolved pool; -1: the kind's own voice
  SpeakerTimbre timbre;
};
SpeakerVoice ChooseSpeakerVoice(std::string_view id, const std::string_view* pool, int poolCount, int32_t variety);

// Adds the timbre's pitch and rate to the values of a voice configuration
// (a VoiceConfigSize buffer, common/voice_config.h) as it stands, so after
// the race step a line brings; each result is kept within -10..10.  An
// attribute the configuration lacks is left out (an empty configuration is
// the voice's own pitch and rate, which have no number to add to).
void ApplyTimbreToConfig(char* config, const SpeakerTimbre& timbre);

// The decimal value of one attribute of a configuration ("PITCH ABSMIDDLE"),
// found without regard to case; false when missing or not a number.
bool ConfigAttributeValue(const char* config, const char* key, int32_t* value);
