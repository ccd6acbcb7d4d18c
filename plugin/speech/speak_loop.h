// The worker thread's side of speech: it owns the four voices, sets them up,
// renders speak requests at once or on the speak key, and while speech is
// active samples the speak and silence key chords every few milliseconds.
// The frame only starts the thread (which runs SetUpVoices, RunSpeakLoop,
// ReleaseVoices) and asks for the voices at the host's exit.
#pragma once
#include <cstdint>

struct VoiceChannel;
struct SpeakRequest;

// What PlayChannel is given for a line's volume when the game is to choose it.
inline constexpr uint32_t NoVolume = 0xFFFFFFFF;

// How the loop hands rendered lines to the game: the game side's voice
// playback (VoicePlayback in plugin/game/voice_playback.h), which the frame
// passes in.
struct GamePlayback {
  // Says what the channel's voice rendered last: 0 when the line was said.
  // `epoch` is the discard count the line was accepted under; `needSpeaker`
  // asks that an actor be there to play it through; `volume` (or null), see
  // PlayChannel.
  uint32_t (*play)(VoiceChannel* channel, uint32_t epoch, bool needSpeaker, uint32_t* volume);
  // Makes the sound of what the channel's voice rendered last ready ahead of
  // its say (false: the say builds it), and drops it unsaid.
  bool (*prepare)(VoiceChannel* channel);
  void (*drop)(VoiceChannel* channel);
};

// The speak loop's own state.  speechActive is also cleared by the game's
// thread when it leaves menu mode; the rest belongs to the worker.
struct SpeakLoopState {
  volatile uint32_t speechActive = 0;  // the worker polls the key chords while set
  VoiceChannel* volatile pendingChannel = nullptr;  // the channel of the last accepted request
  // The copy of the waiting line's speaker and text (null for a request that
  // came without one), the discard count it was accepted under, and its own
  // AutoSpeak switch.
  SpeakRequest* pendingRequest = nullptr;
  uint32_t pendingEpoch = 0;
  bool pendingAutoSpeak = false;
  // Whether each chord was down at the previous sample: a chord acts once
  // per press, however many rounds it is held.
  bool speakChordWasDown = false;
  bool silenceChordWasDown = false;
  GamePlayback game{};  // what RunSpeakLoop was given
  void Reset();  // frees the waiting line's copy
};
extern SpeakLoopState SpeakLoop;

// Worker: Init, format, configuration and selection of each enabled voice,
// with the "WRKTHREAD::" lines.
void SetUpVoices();

// Worker: runs until WM_WORKER_QUIT arrives, handing each rendered line, or
// each piece of a long one (plugin/speech/speech_chain.h), to `game`.  While speech is active a round ends as soon as a request comes,
// and otherwise after ActiveRoundMs.
void RunSpeakLoop(const GamePlayback& game);
inline constexpr uint32_t ActiveRoundMs = 30;

// Releases the four voices on the calling thread: the worker's own exit, or
// a host that has no worker running.
void ReleaseVoices();

// Any thread: have the worker release its voices at the end of its current
// round (it may be inside Speak right now).
void RequestVoiceRelease();

// Any thread (the game's, when it leaves menu mode and may free the actors of
// the dialogue): the line waiting for the speak key and every request posted
// before this call are dropped unspoken, so none is played through a speaker
// that no longer exists.
void DiscardWaitingSpeech();

// The discard generation a request is stamped with when it is posted.
uint32_t SpeechEpoch();

// True when every non-zero byte of code names a key that is down now; a code
// of 0 therefore always counts as held.
bool KeyChordDown(uint32_t code);
