#include "plugin/speech/speaker_voices.h"

#include <windows.h>
#include <sapi.h>

#include <string_view>

#include "common/ascii_case.h"
#include "plugin/frame/log.h"
#include "plugin/frame/settings.h"
#include "plugin/speech/speak_request.h"
#include "plugin/speech/voice_channel.h"
#include "speech/installed_voices.h"

namespace {

// A voice made for the pools, shared by every pool that names it.
struct MadeVoice {
  SpeechVoice voice;
  char name[128];
};
MadeVoice made[PoolKindCount * PoolVoicesMax];
int madeCount = 0;

struct ChannelPool {
  VoiceChannel* channel;
  int count;
  char names[PoolVoicesMax][128];       // as installed
  std::string_view views[PoolVoicesMax];  // of names, for the choice
  ISpeechVoice* voices[PoolVoicesMax];  // the channel's own or one of made
  ISpeechVoice* own;                    // the channel's own voice, one reference held here
  volatile LONG frequency;              // the offset of the line last rendered
};
// By PoolKind.
ChannelPool pools[PoolKindCount] = {{&VoiceMaleDlg, 0, {}, {}, {}, nullptr, 0},
                                    {&VoiceFemaleDlg, 0, {}, {}, {}, nullptr, 0},
                                    {&VoiceCreatureDlg, 0, {}, {}, {}, nullptr, 0}};
const char* const ChannelNames[PoolKindCount] = {"VoiceMaleDlg", "VoiceFemaleDlg", "VoiceCreatureDlg"};

InstalledVoiceList installed;

ChannelPool* PoolOf(const VoiceChannel* channel) {
  for (ChannelPool& p : pools)
    if (p.channel == channel) return &p;
  return nullptr;
}

// The channel's SpeechVoice speaks with `voice` from now on; each holder of
// the pointer holds a reference of its own, so the release of the channel
// and of the pools can come in either order.
void Lend(ChannelPool& p, ISpeechVoice* voice) {
  ISpeechVoice*& field = p.channel->voice.voice;
  if (!voice || field == voice || !field) return;
  voice->AddRef();
  ISpeechVoice* previous = field;
  field = voice;
  previous->Release();
}

ISpeechVoice* MadeVoiceFor(const char* name) {
  for (int i = 0; i < madeCount; ++i)
    if (SameIgnoringCase(made[i].name, name)) return made[i].voice.voice;
  if (madeCount == static_cast<int>(sizeof made / sizeof made[0])) return nullptr;
  MadeVoice& m = made[madeCount];
  m.voice.Init(Speakers, 0);
  if (m.voice.SelectVoice(name) != 0) {
    m.voice.Release();
    return nullptr;
  }
  lstrcpynA(m.name, name, sizeof m.name);
  ++madeCount;
  return m.voice.voice;
}

void SetUpPool(int kind, const InstalledVoiceInfo* infos) {
  ChannelPool& p = pools[kind];
  if (Settings.VoicePool[kind][0] == 0 || !p.channel->voice.voice) return;
  std::string_view resolved[PoolVoicesMax + 1];
  int n = ResolvePool(Settings.VoicePool[kind], PoolKind(kind), infos, installed.count, resolved, PoolVoicesMax + 1);
  if (n > PoolVoicesMax) {
    LOG_LINE("WRKTHREAD::'%s' takes the first %i voices of its pool.", ChannelNames[kind], PoolVoicesMax);
    n = PoolVoicesMax;
  }
  p.own = p.channel->voice.voice;
  p.own->AddRef();
  for (int i = 0; i < n; ++i) {
    // A view of a whole description of the list, so it ends at its terminator.
    char name[128];
    lstrcpynA(name, resolved[i].data(), sizeof name);
    ISpeechVoice* voice = SameIgnoringCase(name, p.channel->voiceName) ? p.own : MadeVoiceFor(name);
    if (!voice) {
      LOG_LINE("WRKTHREAD::'%s' leaves '%s' out of its pool: it failed to initialize.", ChannelNames[kind], name);
      continue;
    }
    lstrcpynA(p.names[p.count], name, sizeof p.names[p.count]);
    p.views[p.count] = p.names[p.count];
    p.voices[p.count++] = voice;
  }
  LOG_LINE("WRKTHREAD::'%s' has %i voices in its pool.", ChannelNames[kind], p.count);
}

}  // namespace

void SetUpSpeakerVoices() {
  bool anyPool = false;
  for (const char* pool : Settings.VoicePool) anyPool = anyPool || pool[0] != 0;
  if (!anyPool) return;  // nothing listed, nothing made: the worker starts as it always has
  ListInstalledVoices(installed);
  InstalledVoiceInfo infos[InstalledVoicesMax];
  for (int i = 0; i < installed.count; ++i) infos[i] = {installed.voices[i].description, installed.voices[i].gender};
  for (int kind = 0; kind < PoolKindCount; ++kind) SetUpPool(kind, infos);
}

SpeakerTimbre GiveSpeakerItsVoice(VoiceChannel* channel, const SpeakRequest* request) {
  ChannelPool* p = PoolOf(channel);
  if (!p) return {};
  const int kind = static_cast<int>(p - pools);
  const char* id = request ? request->speakerId : "";
  const int32_t variety = Settings.VoiceVariety[kind];
  const SpeakerVoice chosen = ChooseSpeakerVoice(id, p->views, p->count, variety);
  if (p->own) Lend(*p, chosen.poolIndex < 0 ? p->own : p->voices[chosen.poolIndex]);
  InterlockedExchange(&p->frequency, chosen.timbre.frequency);
  if (id[0] && (p->count > 0 || variety > 0)) {
    const char* voice = chosen.poolIndex < 0 ? channel->voiceName : p->names[chosen.poolIndex];
    LOG_LINE("EVENT::'%s' speaks with '%s', pitch %i, rate %i, %i Hz.", id, voice, chosen.timbre.voicePitch,
             chosen.timbre.voiceRate, chosen.timbre.frequency);
  }
  return chosen.timbre;
}

int32_t LineFrequencyOffset(const VoiceChannel* channel) {
  const ChannelPool* p = PoolOf(channel);
  return p ? p->frequency : 0;
}

void ReleaseSpeakerVoices() {
  for (ChannelPool& p : pools) {
    if (p.own) {
      Lend(p, p.own);
      p.own->Release();
    }
    p.own = nullptr;
    p.count = 0;
    InterlockedExchange(&p.frequency, 0);
  }
  for (int i = 0; i < madeCount; ++i) made[i].voice.Release();
  madeCount = 0;
}
