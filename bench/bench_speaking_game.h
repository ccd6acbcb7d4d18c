// The benchmarks in which the game double speaks: the SAPI stand-in
// registered, the hooked game with its partner, the three dialogue channels
// on one voice, and the game's DirectSound.  (Beside bench_game.h, since only
// the benches that link the stand-in's control may include this.)
#pragma once
#include <windows.h>
#include <mmsystem.h>
#include <dsound.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "bench_clock.h"
#include "bench_game.h"
#include "plugin/game/game_state.h"
#include "plugin/speech/voice_channel.h"
#include "plugin/speech/voice_file_name.h"
#include "sapi_standin_control.h"

namespace bench {

// Registers a COM server built beside the bench folder (build/run/bench/..)
// through its DllRegisterServer; false, said on stdout, when it could not.
inline bool RegisterBuilt(const char* dllName) {
  char self[MAX_PATH];
  GetModuleFileNameA(nullptr, self, MAX_PATH);
  std::string path = self;
  path.resize(path.find_last_of('\\') + 1);
  const bool ok = sapistandin::Register(path + "..\\" + dllName);  // any server's DllRegisterServer
  if (!ok) std::printf("cannot register %s\n", dllName);
  return ok;
}

// The SAPI stand-in, in the default root's prefix.
inline bool RegisterStandIn() { return RegisterBuilt(sapistandin::DllName); }

// The second way to speak, in the Wine 10 root (QUORRIM_WINE_ROOT): Wine's
// own SAPI with the Quorrim voices, which QuorrimVoice.dll registers.
inline constexpr char WineSapiVoice[] = "Quorrim English Female";
inline bool RegisterQuorrimVoice() { return RegisterBuilt("QuorrimVoice.dll"); }

// The game double as attach leaves it (race effects on, women 2000 higher),
// its partner the Dark Elf woman, the dialogue channels enabled and
// speaking at once with `voiceName`, the game's DirectSound made and its
// voice volume 200.  False, said on stdout, without DirectSound.
inline bool HookedSpeakingGame(const char* voiceName) {
  game_double::BuildGameImage();
  GameBase = game_double::Base();
  Settings = PluginDefaults();
  Settings.VoiceFxByRace = 1;
  Settings.VPBaseFemale = 2000;
  InstallHooks();
  MakeDarkElfPartner();
  for (VoiceChannel* c : {&VoiceMaleDlg, &VoiceFemaleDlg, &VoiceCreatureDlg}) {
    c->enabled = 1;
    c->autoSpeak = 1;
    std::strcpy(c->voiceName, voiceName);
  }
  IDirectSound8* sound = nullptr;
  if (FAILED(DirectSoundCreate8(nullptr, &sound, nullptr)) ||
      FAILED(sound->SetCooperativeLevel(GetDesktopWindow(), DSSCL_PRIORITY))) {
    std::printf("no DirectSound\n");
    return false;
  }
  Put(game_double::Objects().soundManager, 0x0C, Addr(sound));
  game_double::SetRoutineResult(game_double::VoiceVolumeQuery, 200);
  return true;
}

// The female dialogue channel's voice set up on this thread, rendering into
// memory for the partner, as the worker sets its voices up; `name` gets the
// channel's voice-file name for the hooked loader.
inline VoiceChannel& PartnerChannelOnThisThread(char (&name)[VoiceFileNameSize]) {
  VoiceChannel& channel = VoiceFemaleDlg;
  channel.voice.Init(MemoryStream, 0);
  channel.voice.SetAudioFormat(AudioFormat44kHz16BitMono);
  channel.voice.SetConfig("");
  channel.voice.SelectVoice(channel.voiceName);
  channel.speaker = reinterpret_cast<ObjectRef*>(game_double::Objects().partnerRef);
  MakeVoiceFileName(&channel, name);
  return channel;
}

// Milliseconds from the dialogue call site (the line passed twice, as the
// game does, by the partner) to the say routine's first call after it, with
// the worker running; 60 000 or more when none came within a minute.
inline double CallSiteToSayMs(const char* line) {
  const uint32_t before = game_double::SayCount();
  Dialogue.CurrentSpeaker = reinterpret_cast<ObjectRef*>(game_double::Objects().partnerRef);
  const double start = Now();
  DialogueText(line);
  DialogueText(line);
  while (game_double::SayCount() == before && Now() - start < 60) Sleep(1);
  return (Now() - start) * 1000;
}

}  // namespace bench
