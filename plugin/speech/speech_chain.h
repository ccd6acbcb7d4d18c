// Long lines said in pieces, so that the first words are heard at once
// however long the text.  The worker renders the line's first piece
// (common/sentence_split.h) and says it exactly as a whole line is said (the
// channel's "VTTS" name, ProcessVoiceFile, peaks of its own); it renders the
// next piece while that one plays and has its buffer made ready
// (GamePlayback::prepare), and says it as soon as the previous piece's buffer has
// stopped.  The pieces of a line are its chain.
//
// A chain is one line: it ends, with nothing more of it said, when its
// buffer is stopped (the silence chord, closing a text window: StopAllSpeech
// empties the speaker's entry), when speech is discarded (leaving menu
// mode), and when a new line of the same speaker or a new page comes.
// Every piece goes through the loop's own rendering (the request's speaker,
// pitch and voice) and is said at the first piece's volume.
//
// Worker thread only.
#pragma once
#include <cstdint>

#include "plugin/speech/speak_loop.h"
#include "plugin/speech/speak_request.h"

struct VoiceChannel;

// How the loop renders a request's text on the channel's voice; 0 when it
// was rendered.
using RenderRequest = int32_t (*)(VoiceChannel* channel, const SpeakRequest* request);

enum SayResult : uint32_t {
  LineSaid = 0,         // the line, or its first piece, went to the game
  LineNotRendered = 1,  // the voice rendered nothing (no voice, no text)
  LineNotSaid = 2,      // rendered, but no listener or the line went stale
};

// Renders and says the line (a request's copy, or the channel's own fields
// when request is null) that was accepted under discard count `epoch`: whole
// when SpeakInPieces is off or the line is one piece, else its first piece,
// leaving the rest to a chain.  With needSpeaker it is said only while an
// actor is there to play it through (the later pieces need none).
SayResult SayLine(VoiceChannel* channel, const SpeakRequest* request, uint32_t epoch, bool needSpeaker,
                  const GamePlayback& game, RenderRequest render);

// A new line of `speaker` (and any page, when it is a page) ends the chains
// it replaces.
void EndReplacedChains(ObjectRef* speaker, SpeechKind kind, const GamePlayback& game);

// Once a round: says the next piece of every chain whose piece has stopped
// playing, renders the one after it, and ends the chains whose line is over.
// True while a chain goes on.
bool AdvanceSpeechChains(const GamePlayback& game, RenderRequest render);

// Ends every chain (the worker's loop ends).
void EndAllSpeechChains(const GamePlayback& game);
