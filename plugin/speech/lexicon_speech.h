// The plug-in's pronunciation lexicon: Lexicon.txt beside the library, read
// once at attach, applied on the worker to each text just before its voice
// renders it (after the text filter, behind the voice configuration).  The
// log's "EVENT::Trying to speak" line keeps the game's words.
#pragma once
#include <cstdint>

#include "common/lexicon.h"

class SpeechVoice;

// Built at attach, before the worker starts; only read afterwards.
extern Lexicon SpeechLexicon;

// Attach: PluginDir + "Lexicon.txt".  No file: no entries, nothing logged.
// Otherwise the entries count, each line that is not an entry (the first
// ones, by number and text) and what was left out are logged.
void LoadSpeechLexicon();
void LoadSpeechLexicon(const char* path);
void ReleaseSpeechLexicon();

// Worker: the text through the lexicon to the voice, escaped for markup when
// the voice's configuration makes SAPI parse the string as markup.  Speak's
// result.
int32_t SpeakThroughLexicon(SpeechVoice& voice, const char* text);
