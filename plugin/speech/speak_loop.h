// The worker thread: it sets up the enabled voices, then
// renders speak requests at once or on the speak key, and while speech is
// active samples the speak and silence key chords once a second.
#pragma once
#include <cstdint>

struct VoiceChannel;

// The channel of the last accepted request; worker only.
extern VoiceChannel* volatile pendingChannel;

// Worker: Init, format, configuration and selection of each enabled voice,
// with the "WRKTHREAD::" lines.
void SetUpVoices();

// Worker: runs until WM_WORKER_QUIT arrives.
void RunSpeakLoop();

// Any thread: have the worker release its voices at the end of its current
// round (it may be inside Speak right now).
void RequestVoiceRelease();

// True when every non-zero byte of code names a key that is down now; a code
// of 0 therefore always counts as held.
bool KeyChordDown(uint32_t code);
