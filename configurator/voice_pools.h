// The configurator's side of the speakers' own voices: the installed voices
// with their tokens' Gender, a pool's text as the checks of its list and
// back, and what a speaker id changes of a LISTEN.  Plain functions over
// lists, apart from the listing itself.
#pragma once
#include <string>
#include <vector>

#include "common/speaker_voice.h"

struct InstalledVoice {
  std::string description;
  std::string gender;  // the token's Gender attribute; empty without one
};
using InstalledVoices = std::vector<InstalledVoice>;

// The installed voices in SAPI's order, as the plug-in lists them.
InstalledVoices ListVoicesWithGender();

// The voices of the pool's text, as the plug-in resolves them (at most
// PoolVoicesMax, spelled as installed).
std::vector<std::string> PoolVoices(const std::string& poolText, PoolKind kind, const InstalledVoices& installed);

// For each installed voice whether the pool's text holds it: the checks of
// the pool's list.
std::vector<bool> PoolChecks(const std::string& poolText, PoolKind kind, const InstalledVoices& installed);

// The pool's text for the checks of its list.  A text that was "every voice
// of the kind's gender" stays so while exactly those are checked, so that it
// follows voices installed later; names of `loadedText` that are not
// installed here are kept, so that a file from another machine loses none.
std::string PoolText(const std::string& loadedText, PoolKind kind, const InstalledVoices& installed,
                     const std::vector<bool>& checks);

// What LISTEN speaks with for a speaker id: the voice of the kind's pool
// (empty: the kind's own) and the speaker's timbre, as the plug-in chooses
// them for a line of that speaker.  The id is cut as a speak request cuts it.
struct TestSpeakerVoice {
  std::string voiceName;
  SpeakerTimbre timbre;
};
TestSpeakerVoice ChooseTestSpeakerVoice(const std::string& speakerId, const std::string& poolText, PoolKind kind,
                                        int32_t variety, const InstalledVoices& installed);
