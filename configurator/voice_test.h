// The TESTING page's LISTEN: the voice chosen in cbTestVoice speaks the test
// text with the settings the window shows now (saved or not), pitched as the
// plug-in pitches it in the game: the voice's base pitch and, for the two
// character voices, the pitch of the race chosen in cbTestRaceType.  With a
// DirectSound device of its own the text is rendered into memory and played
// from a buffer whose frequency carries the pitch; without one SAPI speaks
// it aloud at the voice's own pitch.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>

#include "common/lexicon.h"
#include "configurator/configurator_settings.h"
#include "configurator/voice_pools.h"
#include "speech/speech_voice.h"

struct IDirectSound8;
struct IDirectSoundBuffer;

// cbTestVoice's items, in their order.
enum TestVoiceIndex { TestMale = 0, TestFemale = 1, TestCreature = 2, TestDocument = 3 };

// The Race of cbTestRaceType's item (the list names the races in the order
// of the FILTERS page's sliders), the index of its pitch in the settings;
// -1 outside the list.
int TestRaceToRaceConfig(int testRace);

// What one test speaks with; `valid` is false for an index outside the list.
struct VoiceTestPlan {
  bool valid = false;
  std::string voiceName;
  std::string config;       // rewritten with the race step when so set
  int32_t frequencyOffset;  // base pitch, plus the race pitch when so set (Hz; common/pitch_rule.h)
};

// The speaker a test speaks for (the TESTING page's speaker id): with an
// id, a character or creature voice speaks with that speaker's voice of its
// pool and its timbre, as the plug-in gives them to the speaker's lines
// (configurator/voice_pools.h); without one, as the voice is set.
struct TestSpeaker {
  std::string id;
  const InstalledVoices* installed = nullptr;
};

// raceOffset: the chosen race's slider position x 100, in hertz.
VoiceTestPlan PlanVoiceTest(const ConfiguratorSettings& settings, int testVoice, int32_t raceOffset,
                            const TestSpeaker& speaker = {});

// The window's DirectSound device and its last test buffer (the piece
// playing now, when a long text is said in pieces).
struct TestSound {
  HMODULE library = nullptr;
  IDirectSound8* device = nullptr;
  IDirectSoundBuffer* buffer = nullptr;
};

// Loads "dsound.dll" at run time and opens the default device for `owner`;
// without the library, the function or a device the test speaks aloud.
void OpenTestSound(TestSound& sound, HWND owner);
void CloseTestSound(TestSound& sound);

// bHearTestVoiceClick after the controls were read into `settings`.  With a
// lexicon, the text goes through it as the plug-in's lines do (ThroughLexicon;
// textIsMarkup: the TESTING page's memo may hold markup, a lexicon entry's
// written form does not).  With SpeakInPieces and a device, a text of more
// than one piece is said as the plug-in says long lines
// (configurator/test_pieces.h), each piece through the lexicon.
void HearTestVoice(SpeechVoice& voice, TestSound& sound, const ConfiguratorSettings& settings, int testVoice,
                   int testRace, const std::string& text, const Lexicon* lexicon = nullptr, bool textIsMarkup = true,
                   const TestSpeaker& speaker = {});

// A new test buffer holding the audio `voice` rendered, at its own
// frequency plus `frequencyOffset` and the pitch the voice's SAPI could not
// apply (a SAPI without markup: SpeechVoice::PitchLeft), as the plug-in
// pitches a line (PitchedFrequency); not yet playing; null when none could
// be made.
IDirectSoundBuffer* PitchedTestBuffer(IDirectSound8* device, const SpeechVoice& voice, const uint8_t* audio,
                                      uint32_t size, int32_t frequencyOffset);
