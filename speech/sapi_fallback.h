// How a SpeechVoice speaks on a SAPI that lacks what Windows' has (Wine's
// own SAPI: no SpMemoryStream, no SpAudioFormat, no automation Speak, no
// markup).  The voice's fixed layout has no room for more state, so what
// such a voice needs lives here, in a small table keyed by the voice's
// address; a voice on Windows never gets an entry and runs as it always did.
#pragma once
#include <windows.h>

#include <cstdint>

class SpeechVoice;
class WaveMemoryStream;
struct ISpeechVoice;

// Bits of SpeechVoice::Route().  0: SAPI's own classes and markup.
enum SpeechRouteBits : uint32_t {
  RouteOwnStream = 1,  // rendered through ISpVoice into a WaveMemoryStream of our own
  RoutePlainText = 2,  // markup refused: plain text, rate and volume set on the voice,
                       // the pitch left to the caller (SpeechVoice::PitchLeft)
};

struct SpeechFallback {
  void* owner;               // the SpeechVoice, or null for a free entry
  WaveMemoryStream* stream;  // with RouteOwnStream
  uint32_t route;
  int32_t pitchLeft;  // the configuration's pitch the last plain text went without
};

SpeechFallback* FindFallback(const SpeechVoice* owner);
// The entry of `owner`, made when it has none; null when the table is full.
SpeechFallback* ClaimFallback(const SpeechVoice* owner);
void DropFallback(const SpeechVoice* owner);

// The installed voices as SAPI's token category lists them, for a voice
// whose automation GetVoices is refused or cannot be walked: selects the
// last one whose description equals `name` (0), or none (2).
int32_t SelectVoiceFromCategory(ISpeechVoice* voice, const wchar_t* name);
// Each voice of the category, first listed first: its description and its
// Gender attribute ("" without one) to `visit`; none when the category
// cannot be read.
void VisitCategoryVoices(void (*visit)(void* context, const wchar_t* description, const wchar_t* gender),
                         void* context);
// Appends each description and CR LF, last listed first, to `*list` (a
// heap block of `heap`); the number of voices appended, or -1 when the
// category cannot be read.
long AppendCategoryVoices(HANDLE heap, wchar_t** list);

// Pitch, rate and volume of a configuration string; what it does not name
// stays as given.
struct Prosody {
  int32_t pitch = 0, rate = 0, volume = 100;
};
Prosody ReadProsody(const wchar_t* config);

// Whether the SAPI voice takes markup: a lone tag (no text, so no sound) is
// spoken through ISpVoice into the fallback's stream; E_NOTIMPL means no.
bool SpVoiceTakesMarkup(ISpeechVoice* voice, SpeechFallback& fallback);

// Speaks through ISpVoice into `fallback.stream` (rewound first) or, without
// one, to the speakers.  `flags` are the automation flags (the same values).
HRESULT SpeakThroughSpVoice(ISpeechVoice* voice, SpeechFallback& fallback, const wchar_t* config, const wchar_t* text,
                            DWORD flags);
// Plain text through the automation voice itself, with its rate and volume
// set from the configuration (markup refused, SAPI's classes present).
HRESULT SpeakPlainThroughAutomation(ISpeechVoice* voice, SpeechFallback& fallback, const wchar_t* config,
                                    const wchar_t* text, DWORD flags);
