// Text preparation for speech: game text reaches a voice only
// through SpeechTextFilter.
#pragma once
#include <cstdint>

// Drops '@', '#' and DEL, drops markup (from a '<' up to and including the
// next '>'; an unclosed '<' drops the rest), turns CR and LF into blanks, and
// terminates destination.  length: bytes of source to look at (it also stops
// at source's terminator).  destination needs length + 1 bytes at most.
void SpeechTextFilter(char* destination, const char* source, uint32_t length);
