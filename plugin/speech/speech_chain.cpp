#include "plugin/speech/speech_chain.h"

#include <windows.h>

#include <cstddef>
#include <cstring>

#include "common/sentence_split.h"
#include "plugin/frame/settings.h"
#include "plugin/speech/speak_loop.h"
#include "plugin/speech/speaker_buffer_table.h"
#include "plugin/speech/voice_channel.h"

namespace {

// Lines of different speakers play side by side, as whole lines do; a fifth
// long line at once ends the oldest chain.
constexpr int ChainCount = 4;

struct Chain {
  VoiceChannel* channel;  // null: the slot is free
  SpeakRequest* line;     // the whole line, our own copy
  uint32_t length;
  uint32_t epoch;         // the discard count the line was accepted under
  uint32_t volume;        // the first piece's, for every piece
  uint32_t next, nextEnd; // the piece to say next
  uint32_t rendered;      // the channel's render count right after that piece was rendered
  bool haveNext;          // it was rendered (and may still be in the voice's stream)
  const IDirectSoundBuffer* playing;  // the piece playing now, as the speaker table names it
  bool seenPlaying;
  DWORD saidAt;
  uint32_t lastsMs;
  uint32_t age;           // when the chain began, in chains
};

Chain chains[ChainCount];
uint32_t chainsBegun = 0;

// Renders on each channel's voice, counted: a piece rendered for a chain is
// in the voice's stream only while no other render came after it (another
// speaker's line on the same voice).
uint32_t& RenderCount(const VoiceChannel* channel) {
  static uint32_t counts[4];
  for (int i = 0; i < 4; ++i)
    if (AllChannels[i] == channel) return counts[i];
  static uint32_t other;
  return other;
}

SpeakRequest* CopyOf(const SpeakRequest& like, const char* text, uint32_t length) {
  auto* copy = static_cast<SpeakRequest*>(HeapAlloc(GetProcessHeap(), 0, offsetof(SpeakRequest, text) + length + 1));
  if (!copy) return nullptr;
  std::memcpy(copy, &like, offsetof(SpeakRequest, text));  // all the line brings but its text
  std::memcpy(copy->text, text, length);
  copy->text[length] = 0;
  return copy;
}

void End(Chain& chain, const GamePlayback& game) {
  // Its next piece, made ready and never said.
  if (chain.haveNext && chain.rendered == RenderCount(chain.channel)) game.drop(chain.channel);
  if (chain.line) HeapFree(GetProcessHeap(), 0, chain.line);
  chain = Chain{};
}

Chain& FreeChain(const GamePlayback& game) {
  Chain* oldest = &chains[0];
  for (Chain& c : chains) {
    if (!c.channel) return c;
    if (c.age < oldest->age) oldest = &c;
  }
  End(*oldest, game);
  return *oldest;
}

// Every render on a voice goes through here: what was made ready of the
// voice's last rendering is no longer what its stream holds.
bool Render(VoiceChannel* channel, const SpeakRequest* request, const GamePlayback& game, RenderRequest render) {
  game.drop(channel);
  ++RenderCount(channel);
  return render(channel, request) == 0;
}

// Renders the chain's piece [next, nextEnd) with the line's speaker, pitch
// and kind, through the loop's own rendering, and unless it is the first
// (said at once) makes its sound ready for the say.
bool RenderNext(Chain& chain, const GamePlayback& game, RenderRequest render) {
  SpeakRequest* piece = CopyOf(*chain.line, chain.line->text + chain.next, chain.nextEnd - chain.next);
  if (!piece) return false;
  const bool rendered = Render(chain.channel, piece, game, render);
  HeapFree(GetProcessHeap(), 0, piece);
  chain.rendered = RenderCount(chain.channel);
  chain.haveNext = rendered;
  if (rendered && chain.next > 0) game.prepare(chain.channel);
  return rendered;
}

// The piece after the one just said, rendered while that one plays; false
// when there is none (the line is all said) or it could not be rendered.
bool PrepareNext(Chain& chain, const GamePlayback& game, RenderRequest render) {
  if (chain.next >= chain.length) return false;
  chain.nextEnd = SpeechPieceEnd(chain.line->text, chain.length, chain.next);
  return RenderNext(chain, game, render);
}

enum class Said { Followed, Alone, Not };

// Says the rendered piece and finds the buffer the game made of it, which
// the chain follows until it stops.  Alone: said, but no buffer of it came
// into the speaker's entry (the game made none), so nothing tells when it
// ends.  Only the first piece needs a speaker there (needSpeaker).
Said SayNext(Chain& chain, const GamePlayback& game, bool needSpeaker = false) {
  ObjectRef* speaker = chain.line->speaker;
  const SpeakerLine before = SpeakerLineOf(speaker);
  if (game.play(chain.channel, chain.epoch, needSpeaker, &chain.volume) != 0) return Said::Not;
  const SpeakerLine after = SpeakerLineOf(speaker);
  chain.haveNext = false;
  chain.next = chain.nextEnd;
  if (!after.buffer || after.buffer == before.buffer) return Said::Alone;
  chain.playing = after.buffer;
  chain.seenPlaying = after.playing;
  chain.saidAt = GetTickCount();
  chain.lastsMs = after.lastsMs;
  return Said::Followed;
}

// Whether the piece playing now is over, or the chain is (Gone); while it
// plays, `leftMs` is what is left of it.
enum class Piece { Playing, Over, Gone };

Piece PieceState(Chain& chain, uint32_t& leftMs) {
  leftMs = 0;
  if (chain.epoch != SpeechEpoch()) return Piece::Gone;
  const SpeakerLine now = SpeakerLineOf(chain.line->speaker);
  // Emptied (StopAllSpeech) or taken by another line of the speaker.
  if (now.buffer != chain.playing) return Piece::Gone;
  if (now.playing) {
    chain.seenPlaying = true;
    leftMs = now.leftMs;
    return Piece::Playing;
  }
  // A buffer the game has not started yet is not over; one it never starts
  // is taken as over once it would have played out.
  if (!chain.seenPlaying && GetTickCount() - chain.saidAt < chain.lastsMs) return Piece::Playing;
  return Piece::Over;
}

// A piece about to end is waited for here, a millisecond at a time, so that
// the next piece follows at once rather than up to a round later.  Gives up
// (Playing) a little after it should have ended.
Piece AwaitEnd(Chain& chain, uint32_t leftMs) {
  constexpr DWORD SlackMs = 20;
  const DWORD start = GetTickCount(), limit = leftMs + ActiveRoundMs + SlackMs;
  if (leftMs > 2) Sleep(leftMs - 2);
  for (;;) {
    const Piece piece = PieceState(chain, leftMs);
    if (piece != Piece::Playing || GetTickCount() - start > limit) return piece;
    Sleep(1);
  }
}

}  // namespace

SayResult SayLine(VoiceChannel* channel, const SpeakRequest* request, uint32_t epoch, bool needSpeaker,
                  const GamePlayback& game, RenderRequest render) {
  const char* text = request ? request->text : channel->text;
  const uint32_t length = text ? static_cast<uint32_t>(lstrlenA(text)) : 0;
  const uint32_t firstEnd = Settings.SpeakInPieces ? SpeechPieceEnd(text, length, 0) : length;
  // A poster that only filled the channel: its speaker, the channel's pitch.
  SpeakRequest like{};
  if (request) {
    like = *request;
  } else {
    like.speaker = channel->speaker;
    like.voicePitch = KeepVoicePitch;
    like.epoch = epoch;
    like.kind = SpeechKind::Dialogue;
  }
  SpeakRequest* line = firstEnd < length ? CopyOf(like, text, length) : nullptr;
  if (!line) {  // one piece (or no memory for the chain): the whole line as it is
    if (!Render(channel, request, game, render)) return LineNotRendered;
    return game.play(channel, epoch, needSpeaker, nullptr) == 0 ? LineSaid : LineNotSaid;
  }

  Chain& chain = FreeChain(game);
  chain = Chain{};
  chain.channel = channel;
  chain.line = line;
  chain.length = length;
  chain.epoch = epoch;
  chain.volume = NoVolume;
  chain.nextEnd = firstEnd;
  chain.age = ++chainsBegun;
  if (!RenderNext(chain, game, render)) {
    End(chain, game);
    return LineNotRendered;
  }
  const Said said = SayNext(chain, game, needSpeaker);
  if (said != Said::Followed || !PrepareNext(chain, game, render)) End(chain, game);
  return said == Said::Not ? LineNotSaid : LineSaid;
}

void EndReplacedChains(ObjectRef* speaker, SpeechKind kind, const GamePlayback& game) {
  for (Chain& c : chains)
    if (c.channel && (c.line->speaker == speaker || (kind == SpeechKind::Document && c.line->kind == kind)))
      End(c, game);
}

bool AdvanceSpeechChains(const GamePlayback& game, RenderRequest render) {
  bool goesOn = false;
  for (Chain& c : chains) {
    if (!c.channel) continue;
    uint32_t leftMs = 0;
    Piece piece = PieceState(c, leftMs);
    // Within two rounds of its end (a round may last longer than it should).
    if (piece == Piece::Playing && c.seenPlaying && leftMs <= 2 * ActiveRoundMs) piece = AwaitEnd(c, leftMs);
    if (piece == Piece::Gone) {
      End(c, game);
      continue;
    }
    if (piece == Piece::Over) {
      // Another line rendered on the same voice since: the piece is made again.
      const bool ready = c.haveNext && c.rendered == RenderCount(c.channel);
      if ((!ready && !RenderNext(c, game, render)) || SayNext(c, game) != Said::Followed ||
          !PrepareNext(c, game, render)) {
        End(c, game);
        continue;
      }
    }
    goesOn = true;
  }
  return goesOn;
}

void EndAllSpeechChains(const GamePlayback& game) {
  for (Chain& c : chains)
    if (c.channel) End(c, game);
}
