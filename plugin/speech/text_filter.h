// Text preparation for speech: game text reaches a voice only
// through SpeechTextFilter.
#pragma once
#include <cstdint>

struct VoiceChannel;

// Drops '@', '#' and DEL, drops markup (from a '<' up to and including the
// next '>'; an unclosed '<' drops the rest), turns CR and LF into blanks, and
// terminates destination.  length: bytes of source to look at (it also stops
// at source's terminator).  destination needs length + 1 bytes at most.
void SpeechTextFilter(char* destination, const char* source, uint32_t length);

// Stores the filtered text in a fresh, zero-filled block of (length + 8)
// bytes on the process heap and frees the channel's previous text.  When the
// block cannot be had, the previous text stays and the result is false.
bool SetChannelText(VoiceChannel* channel, const char* text);
