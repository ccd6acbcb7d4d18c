// The worker's side of a voice of its own for every speaker: the pools of
// the three dialogue voices resolved against the installed voices, a SAPI
// voice ready for each voice of a pool (so that a line never waits for one
// to be made), and for each line the choice of common/speaker_voice.h by
// the speaker id its request brings.
//
// A line is rendered into its channel's own stream with the chosen voice
// lent to the channel's SpeechVoice; everything else of the channel (its
// configuration, its stream, its file name) stays as it is.  Without pools
// and varieties nothing here touches a channel.
#pragma once
#include <cstdint>

#include "common/speaker_voice.h"

struct VoiceChannel;
struct SpeakRequest;

// Worker, after the channels' voices are set up: resolves each dialogue
// channel's pool (only when some pool is given: the installed voices are
// listed then) and makes a voice for each of its voices, with
// "WRKTHREAD::" lines.
void SetUpSpeakerVoices();

// Worker, just before a line is rendered: lends the channel the voice of the
// request's speaker (its own one back for a line without an id) and keeps
// the line's frequency offset for playback.  The speaker's timbre, to go
// into the line's configuration (ApplyTimbreToConfig); none for the
// document voice.
SpeakerTimbre GiveSpeakerItsVoice(VoiceChannel* channel, const SpeakRequest* request);

// The game's side (playback of the channel's line): the hertz the speaker's
// timbre adds to the buffer's frequency, 0 without one.
int32_t LineFrequencyOffset(const VoiceChannel* channel);

// Releases every voice made here and gives the channels their own back;
// with the channels' voices (ReleaseVoices).
void ReleaseSpeakerVoices();
