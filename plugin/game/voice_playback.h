// Synthesized speech played by the game as the speaker's voice file: the
// worker asks the game to say "VTTS<channel address>", and the hooked
// voice-file loader builds the game's sound record from the rendered PCM.
#pragma once
#include <cstdint>

#include "plugin/speech/speak_loop.h"

// Worker thread (the speak loop's GamePlayback::play): hands the channel's
// rendered speech to the game's say routine, after the smooth zoom when so
// set.  `epoch` is the discard count the line was accepted under
// (SpeechEpoch): a line whose speech was discarded while it waited for the
// zoom is not said.  With `needSpeaker`, a line is said only while there is
// an actor to play it through (Dialogue.CurrentSpeaker).  `volume`, when
// given: a set value is the volume the line is said at (the later pieces of a
// line said in pieces, all as loud as its first); NoVolume asks for the
// game's voice volume raised by the zoom, which is stored there.  0 when said
// (or no game world to say it in), 1 without a channel, 2 when dropped as
// stale, 3 without a speaker.
uint32_t PlayChannel(VoiceChannel* channel, uint32_t epoch, bool needSpeaker, uint32_t* volume = nullptr);

// Worker: makes the DirectSound buffer and the peaks of what the channel's
// voice rendered last, ahead of its say, so that the hooked loader only has
// to hand them to the game (the next piece of a line, made while the piece
// before plays: the copying and the peaks cost nothing at the seam).  False
// when none could be made; the loader then builds them from the voice as
// usual.  A later render on the channel must drop it first.
bool PrepareVoiceSound(VoiceChannel* channel);
// Worker: drops what PrepareVoiceSound made and no say took.
void DropPreparedSound(VoiceChannel* channel);

// What the frame hands the speak loop.
inline constexpr GamePlayback VoicePlayback{PlayChannel, PrepareVoiceSound, DropPreparedSound};

// Replaces the game's voice-file loader at its call site; a method of the
// game's sound manager (this in ECX).  Returns the game's sound record or 0.
void* __fastcall ProcessVoiceFile(void* soundManager, void* edx, const char* path, uint32_t second);

