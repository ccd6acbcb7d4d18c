#include "plugin/speech/speak_loop.h"

#include <windows.h>

#include "common/voice_config.h"
#include "plugin/frame/log.h"
#include "plugin/frame/plugin_state.h"
#include "plugin/frame/settings.h"
#include "plugin/speech/lexicon_speech.h"
#include "plugin/speech/speak_request.h"
#include "plugin/speech/speech_chain.h"
#include "plugin/speech/voice_channel.h"
#include "plugin/speech/speaker_buffer_table.h"
#include "plugin/speech/speaker_voices.h"

SpeakLoopState SpeakLoop;

namespace {

volatile LONG releaseRequested = 0;
// Counts the calls of DiscardWaitingSpeech; a request or a waiting line from
// an earlier count is stale.
volatile LONG discardEpoch = 0;

// Wakes the worker with an id it consumes without effect.
constexpr UINT WM_WAKE = WM_USER + 1;

void Forget(SpeakRequest*& request) {
  if (request) HeapFree(GetProcessHeap(), 0, request);
  request = nullptr;
}

// Whether the channel's voice holds a configuration made for one line.
bool& RenderedWithOwnPitch(const VoiceChannel* channel) {
  static bool own[4];
  for (int i = 0; i < 4; ++i)
    if (AllChannels[i] == channel) return own[i];
  static bool other;
  return other;
}

// What a request speaks: its own copy, or the channel's fields for a poster
// that only filled the channel.
const char* TextOf(VoiceChannel* channel, const SpeakRequest* request) {
  return request ? request->text : channel->text;
}

// The request's speaker goes into the channel just before the line is
// rendered.  Only this thread writes that field, so playback (which reads
// the channel) sees this request's speaker, not a later request's.
//
// A line that brings a pitch of its own, or a speaker's timbre, is rendered
// with it in the voice's configuration; the next line without one goes back
// to the channel's own.
int32_t SpeakRequestText(VoiceChannel* channel, const SpeakRequest* request) {
  if (request) channel->speaker = request->speaker;
  const SpeakerTimbre timbre = GiveSpeakerItsVoice(channel, request);
  const bool ownPitch = request && request->voicePitch != KeepVoicePitch;
  const bool ownConfig = ownPitch || timbre != SpeakerTimbre{};
  if (ownConfig || RenderedWithOwnPitch(channel)) {
    char config[VoiceConfigSize];
    lstrcpynA(config, channel->voiceConfig, sizeof config);
    if (ownPitch) SetConfigAttribute(request->voicePitch, PitchAttribute, config);
    ApplyTimbreToConfig(config, timbre);
    channel->voice.SetConfig(config);
    RenderedWithOwnPitch(channel) = ownConfig;
  }
  return SpeakThroughLexicon(channel->voice, TextOf(channel, request));
}

bool IsStale(uint32_t epoch) { return epoch != SpeechEpoch(); }

// Whose VoiceEnable and AutoSpeak decide for a line: a page's are the
// document voice's, whichever channel's voice reads it.
const VoiceChannel& SwitchesOf(const VoiceChannel* channel, const SpeakRequest* request) {
  return request && request->kind == SpeechKind::Document ? VoiceDoc : *channel;
}

// The waiting line is forgotten once its speaker may be gone.
void DropStaleWaitingLine() {
  if (SpeakLoop.pendingChannel && IsStale(SpeakLoop.pendingEpoch)) {
    SpeakLoop.pendingChannel = nullptr;
    Forget(SpeakLoop.pendingRequest);
  }
}

void HandleSpeakRequest(VoiceChannel* channel, SpeakRequest* request) {
  if (!channel || !SwitchesOf(channel, request).enabled || (request && IsStale(request->epoch))) {
    Forget(request);
    return;
  }
  LOG_LINE("EVENT::Trying to speak: %s", TextOf(channel, request));
  EndReplacedChains(request ? request->speaker : channel->speaker, request ? request->kind : SpeechKind::Dialogue,
                    SpeakLoop.game);
  SpeakLoop.pendingChannel = channel;
  SpeakLoop.pendingAutoSpeak = SwitchesOf(channel, request).autoSpeak != 0;
  Forget(SpeakLoop.pendingRequest);
  SpeakLoop.pendingRequest = request;  // a new request always replaces the waiting line
  SpeakLoop.pendingEpoch = request ? request->epoch : SpeechEpoch();
  SpeakLoop.speechActive = 1;
  if (!SpeakLoop.pendingAutoSpeak) return;
  // Rendering and the zoom take a while: a line whose conversation ended
  // meanwhile is dropped by the game's side.
  const SayResult said =
      SayLine(channel, request, SpeakLoop.pendingEpoch, /*needSpeaker=*/true, SpeakLoop.game, SpeakRequestText);
  if (said == LineSaid) return;
  SpeakLoop.speechActive = 0;
}

void SpeakPending() {
  DropStaleWaitingLine();
  VoiceChannel* channel = SpeakLoop.pendingChannel;
  if (!channel || SpeakLoop.pendingAutoSpeak) return;
  // The speak key needs no speaker.
  if (SayLine(channel, SpeakLoop.pendingRequest, SpeakLoop.pendingEpoch, /*needSpeaker=*/false, SpeakLoop.game,
              SpeakRequestText) != LineNotRendered) {
    SpeakLoop.pendingChannel = nullptr;
    Forget(SpeakLoop.pendingRequest);
  }
}

// A chord acts when it goes down, not while it stays down.  An empty chord
// (code 0) is always down, so it acts at every sample: the empty speak chord
// speaks a waiting line at once.
bool ChordPressed(uint32_t code, bool& wasDown) {
  const bool down = KeyChordDown(code);
  const bool pressed = down && (!wasDown || code == 0);
  wasDown = down;
  return pressed;
}

// Takes the next message of the loop's range.  Idle, it waits for one.
// Active, the round ends as soon as one comes and otherwise after
// ActiveRoundMs, so that a request is handled within milliseconds and a
// short press of a chord still falls on a sample.
bool TakeMessage(MSG& msg) {
  if (!SpeakLoop.speechActive) return GetMessageA(&msg, nullptr, WM_SPEAK_REQUEST, WM_WORKER_QUIT) > 0;
  if (PeekMessageA(&msg, nullptr, WM_SPEAK_REQUEST, WM_WORKER_QUIT, PM_REMOVE)) return true;
  if (MsgWaitForMultipleObjects(0, nullptr, FALSE, ActiveRoundMs, QS_POSTMESSAGE | QS_SENDMESSAGE) ==
      WAIT_OBJECT_0) {
    if (PeekMessageA(&msg, nullptr, WM_SPEAK_REQUEST, WM_WORKER_QUIT, PM_REMOVE)) return true;
    // Woken by a message outside our range, which stays queued: the rest of
    // the round is slept, so that it cannot keep the loop spinning.
    Sleep(ActiveRoundMs);
  }
  return false;
}

void SampleChords() {
  if (ChordPressed(static_cast<uint32_t>(Settings.SpeakKeyCode), SpeakLoop.speakChordWasDown)) {
    SpeakPending();
    SpeakLoop.speechActive = 1;
  }
  // An empty silence chord would stop every line within a round of its
  // start: a player who cleared it wants no silence key, not no speech.
  const uint32_t silence = static_cast<uint32_t>(Settings.SilenceKeyCode);
  if (silence != 0 && ChordPressed(silence, SpeakLoop.silenceChordWasDown)) {
    StopAllSpeech();
    SpeakLoop.speechActive = 0;
  }
}

struct VoiceSetup {
  VoiceChannel* channel;
  const char* name;
};

void SetUpVoice(const VoiceSetup& v) {
  LOG_LINE("WRKTHREAD::Trying to initialize '%s'.", v.name);
  SpeechVoice& voice = v.channel->voice;
  voice.Init(MemoryStream, 0);
  voice.SetAudioFormat(AudioFormat44kHz16BitMono);
  voice.SetConfig(v.channel->voiceConfig);
  if (voice.SelectVoice(v.channel->voiceName) != 0)
    LOG_LINE("WRKTHREAD::'%s' is failed to initialize.", v.name);
  else
    LOG_LINE("WRKTHREAD::'%s' is initialized.", v.name);
  // Said only where SAPI lacks what Windows' has (Wine's), once per voice.
  if (voice.Route() != 0)
    LOG_LINE("WRKTHREAD::'%s' speaks through %s.", v.name, SpeechVoice::RouteDescription(voice.Route()));
}

}  // namespace

void SpeakLoopState::Reset() {
  Forget(pendingRequest);
  *this = SpeakLoopState{};
}

bool KeyChordDown(uint32_t code) {
  for (int i = 0; i < 4; ++i) {
    const int key = (code >> (8 * i)) & 0xFF;
    if (key == 0) continue;
    if ((GetAsyncKeyState(key) & 0x8000) == 0) return false;
  }
  return true;
}

// Dialogue voices when LirraDlg enables them; the document voice only when
// documents are not read by a dialogue voice.  With documents read by the
// dialogue voice of the player's sex, enabled documents need those two
// voices even when dialogue is off.
void SetUpVoices() {
  const bool pagesByDialogueVoice = VoiceDoc.enabled && Settings.DocVoiceAsDlg != 0;
  const struct {
    VoiceSetup voice;
    bool readsPages;
  } dialogue[] = {{{&VoiceMaleDlg, "VoiceMaleDlg"}, true},
                  {{&VoiceFemaleDlg, "VoiceFemaleDlg"}, true},
                  {{&VoiceCreatureDlg, "VoiceCreatureDlg"}, false}};
  for (const auto& d : dialogue)
    if (d.voice.channel->enabled || (d.readsPages && pagesByDialogueVoice)) SetUpVoice(d.voice);
  if (VoiceDoc.enabled && Settings.DocVoiceAsDlg == 0) SetUpVoice({&VoiceDoc, "VoiceDoc"});
  SetUpSpeakerVoices();
}

void ReleaseVoices() {
  ReleaseSpeakerVoices();
  for (VoiceChannel* c : AllChannels) c->voice.Release();
}

void RequestVoiceRelease() {
  InterlockedExchange(&releaseRequested, 1);
  PostThreadMessageA(WorkerThreadId, WM_WAKE, 0, 0);
}

void DiscardWaitingSpeech() { InterlockedIncrement(&discardEpoch); }

uint32_t SpeechEpoch() { return static_cast<uint32_t>(discardEpoch); }

void RunSpeakLoop(const GamePlayback& game) {
  SpeakLoop.game = game;
  MSG msg{};
  // Makes sure the thread has its queue.  Nothing is taken: COM's set-up of
  // the voices may already have made one, and a request posted meanwhile
  // would otherwise be dropped here with its copy.
  PeekMessageA(&msg, nullptr, 0, 0xFFFFFFFF, PM_NOREMOVE);
  msg = MSG{};
  SpeakLoop.speakChordWasDown = SpeakLoop.silenceChordWasDown = false;
  for (;;) {
    // The host's exit event asked for the voices: released here, between
    // two rounds, never under a running Speak.  Checked before each wait, so
    // a request made before this thread had its queue (its wake-up message
    // then went nowhere) is not left waiting for some later message.
    if (InterlockedExchange(&releaseRequested, 0)) ReleaseVoices();
    DropStaleWaitingLine();
    // Only ids 0x400 to 0x409 are taken; 0x401 to 0x408 have no effect.
    if (TakeMessage(msg)) {
      if (msg.hwnd) {
        // A window of this thread (SAPI may make one) owns the id, not the loop.
        DispatchMessageA(&msg);
      } else if (msg.message == WM_SPEAK_REQUEST) {
        // Only the four channels are requests; anything else is left alone,
        // its lParam included, since it is not a copy of ours.
        if (VoiceChannel* channel = KnownChannel(msg.wParam))
          HandleSpeakRequest(channel, reinterpret_cast<SpeakRequest*>(msg.lParam));
      } else if (msg.message == WM_WORKER_QUIT) {
        break;
      }
    }
    if (SpeakLoop.speechActive) SampleChords();
    // A line said in pieces keeps the loop in its short rounds until its
    // last piece has been said.
    if (AdvanceSpeechChains(SpeakLoop.game, SpeakRequestText)) SpeakLoop.speechActive = 1;
    msg = MSG{};
  }
  EndAllSpeechChains(SpeakLoop.game);
  SpeakLoop.pendingChannel = nullptr;
  Forget(SpeakLoop.pendingRequest);
  // Requests still queued behind the quit: their copies are ours to free.
  while (PeekMessageA(&msg, nullptr, WM_SPEAK_REQUEST, WM_SPEAK_REQUEST, PM_REMOVE)) {
    if (msg.hwnd || !KnownChannel(msg.wParam)) continue;
    auto* request = reinterpret_cast<SpeakRequest*>(msg.lParam);
    Forget(request);
  }
}
