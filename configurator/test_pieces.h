// LISTEN says a long test text as the plug-in says a long line: in pieces
// (common/sentence_split.h), the first rendered and played at once, each
// next one rendered while the one before plays and played as soon as that
// one has stopped.  The window thread's timer carries it on, so the window
// stays responsive between pieces.  One test at a time, on the window thread.
#pragma once
#include <cstdint>
#include <functional>
#include <string>

#include "configurator/voice_test.h"

// What the voice is given for a piece of the test text (the text through the
// player's lexicon, as the plug-in speaks each piece of a line).
using SpokenForm = std::function<std::string(const std::string&)>;

// Starts saying `text` in pieces through the window's device, with the voice
// as configured for the test, each piece as `spoken` gives it.  False when the text is one piece, or holds
// markup (a tag may not be cut in two): the caller says it whole.  True once
// it took the test over, even when the voice rendered nothing (then nothing
// changes, as with a whole text).
bool StartTestPieces(SpeechVoice& voice, TestSound& sound, const std::string& text, const SpokenForm& spoken,
                     int32_t frequencyOffset);

// No more pieces of the test; the piece playing now plays on, in
// sound.buffer.
void StopTestPieces();

// True while pieces of a test are still to be played.
bool TestPiecesGoOn();
