// Where a long text is cut so that its first words can be heard while the
// rest is still being rendered: at sentence ends, the first piece short, the
// later ones whole sentences joined into a few hundred characters.  A text
// no longer than a first piece stays whole.  Both
// programs say long texts this way (the plug-in's worker, the configurator's
// LISTEN).
//
// Portable: no Windows here, so that it also builds for the host's sanitizers
// and fuzzers (fuzz/).
#pragma once
#include <cstdint>

// The first piece joins whole sentences up to this many characters; a first
// sentence longer than this is cut at its last comma, else at its last
// blank, within this many characters.
inline constexpr uint32_t FirstPieceChars = 80;
// Later pieces join whole sentences up to this many characters (a single
// longer sentence stays whole).
inline constexpr uint32_t PieceChars = 300;

// The end (one past the last character) of the piece of text[0, length) that
// begins at `start`.  The piece that begins at 0 is the first piece; every
// other one is whole sentences.  A piece ends behind the blanks that follow
// its last sentence, so the pieces laid end to end are the text itself, and
// each is non-empty: the result lies in (start, length] for start < length,
// and is length otherwise.
uint32_t SpeechPieceEnd(const char* text, uint32_t length, uint32_t start);

// The number of pieces SpeechPieceEnd cuts text[0, length) into.
uint32_t SpeechPieceCount(const char* text, uint32_t length);

// Where the sentence that goes on at `from` ends: the start of the next one
// (behind the blanks after the end), or length when none ends.
//
// A sentence ends at '.', '!', '?', ';' or ':' (a run of them, then any
// closing quotes or brackets) followed by a blank or the end of the text.
// Not after an abbreviation ("Mr.", "St.", "e.g.", "No." before a number) or
// an initial (one letter), nor at an ellipsis followed by a small letter; a
// dot inside a number ("3.5") has no blank behind it.  Two dots ("Gash..")
// are a page's paragraph mark behind a line and always end the sentence.
uint32_t NextSentenceStart(const char* text, uint32_t length, uint32_t from);
