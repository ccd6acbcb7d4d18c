// Lexicon.txt at the Windows boundary: the file is read as UTF-8 (with or
// without a byte-order mark) and its forms converted to the game's code
// page, the system's ANSI code page; a file that is not valid UTF-8 is
// taken as that code page already.  The letters and their case come from
// that code page too.
#pragma once
#include <cstddef>

#include "common/lexicon.h"

// ASCII's letters, and the system code page's own in the upper half: its
// letters folded by the system's case rules, its typographic apostrophes
// folded to '\'', its no-break space a blank.
void SystemLexiconAlphabet(LexiconAlphabet& alphabet);

// Whether the bytes are valid UTF-8 (an empty text is).
bool LexiconTextIsUtf8(const char* text, size_t size);

// A form of the file in the game's code page: the bytes as they are when the
// file is not UTF-8, converted when it is.  Returns the bytes written to out,
// or -1 when a character has no place in the code page or the result needs
// more than `capacity` bytes (nothing is terminated).
int LexiconFormToCodePage(const char* text, size_t length, bool utf8, char* out, size_t capacity);
