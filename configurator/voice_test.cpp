#include "configurator/voice_test.h"

#include <mmsystem.h>
#include <dsound.h>

#include <algorithm>
#include <cstring>

#include "common/pitch_rule.h"
#include "common/races.h"
#include "common/speaker_voice.h"
#include "common/voice_config.h"
#include "configurator/lexicon_file.h"
#include "configurator/window_races.h"
#include "configurator/test_pieces.h"

namespace {

PoolKind PoolKindOf(int testVoice) {
  return testVoice == TestFemale ? PoolFemale : testVoice == TestCreature ? PoolCreature : PoolMale;
}

// On top of the race step and pitch, as a line of the speaker gets it.
void ApplyTestSpeaker(VoiceTestPlan& plan, const ConfiguratorSettings& settings, PoolKind kind,
                      const TestSpeaker& speaker) {
  static const InstalledVoices none;
  const TestSpeakerVoice chosen = ChooseTestSpeakerVoice(speaker.id, settings.voicePools[kind], kind,
                                                         settings.voiceVariety[kind],
                                                         speaker.installed ? *speaker.installed : none);
  if (!chosen.voiceName.empty()) plan.voiceName = chosen.voiceName;
  char config[VoiceConfigSize] = {};
  plan.config.copy(config, VoiceConfigSize - 1);
  ApplyTimbreToConfig(config, chosen.timbre);
  plan.config = config;
  plan.frequencyOffset += chosen.timbre.frequency;
}

}  // namespace

int TestRaceToRaceConfig(int testRace) {
  return testRace >= 0 && testRace < RaceCount ? WindowRaces[testRace].race : -1;
}

VoiceTestPlan PlanVoiceTest(const ConfiguratorSettings& settings, int testVoice, int32_t raceOffset,
                            const TestSpeaker& speaker) {
  VoiceTestPlan plan;
  VoiceKind kind;
  int32_t base = 0;
  switch (testVoice) {
    case TestMale: kind = VoiceMale; base = settings.VPBaseMale; break;
    case TestFemale: kind = VoiceFemale; base = settings.VPBaseFemale; break;
    case TestCreature: kind = VoiceCreature; base = settings.VPBaseCreature; break;
    case TestDocument: kind = VoiceDocument; break;
    default: return plan;
  }
  plan.valid = true;
  plan.voiceName = settings.voices[kind].name;
  plan.config = settings.voices[kind].config;
  const bool character = testVoice == TestMale || testVoice == TestFemale;
  if (character && RaceStepBoundToVoice(settings.flags[FlagVoiceFxByRace], settings.flags[FlagTTSBoundPitchDS])) {
    char config[VoiceConfigSize] = {};
    plan.config.copy(config, VoiceConfigSize - 1);
    // A configuration without the pitch attribute is spoken as it is.
    if (SetConfigAttribute(PitchToVoiceScale(raceOffset), PitchAttribute, config) == ConfigChanged) plan.config = config;
  }
  plan.frequencyOffset = base + (RaceAddsPitch(character, settings.flags[FlagVoiceFxByRace]) ? raceOffset : 0);
  if (testVoice != TestDocument && !speaker.id.empty()) ApplyTestSpeaker(plan, settings, PoolKindOf(testVoice), speaker);
  return plan;
}

void OpenTestSound(TestSound& sound, HWND owner) {
  sound.library = LoadLibraryA("dsound.dll");
  if (!sound.library) return;
  using CreateFn = HRESULT(WINAPI*)(LPCGUID, IDirectSound8**, IUnknown*);
  auto create = reinterpret_cast<CreateFn>(reinterpret_cast<void*>(GetProcAddress(sound.library, "DirectSoundCreate8")));
  if (!create || FAILED(create(nullptr, &sound.device, nullptr)) || !sound.device) {
    sound.device = nullptr;
    return;
  }
  sound.device->SetCooperativeLevel(owner, DSSCL_NORMAL);
}

void CloseTestSound(TestSound& sound) {
  StopTestPieces();
  if (sound.buffer) {
    sound.buffer->Stop();
    sound.buffer->Release();
  }
  if (sound.device) sound.device->Release();
  if (sound.library) FreeLibrary(sound.library);
  sound = TestSound{};
}

namespace {

IDirectSoundBuffer* MakeTestBuffer(IDirectSound8* device, const uint8_t* audio, uint32_t size) {
  WAVEFORMATEX format{};
  format.wFormatTag = WAVE_FORMAT_PCM;
  format.nChannels = 1;
  format.nSamplesPerSec = 44100;
  format.wBitsPerSample = 16;
  format.nBlockAlign = 2;
  format.nAvgBytesPerSec = 88200;
  DSBUFFERDESC desc{};
  desc.dwSize = sizeof desc;
  // Keeps playing when another window has the focus; the pitch is its frequency.
  desc.dwFlags = DSBCAPS_GLOBALFOCUS | DSBCAPS_CTRLFREQUENCY;
  desc.dwBufferBytes = std::clamp<uint32_t>(size, 4, 0x0FFFFFFF);
  desc.lpwfxFormat = &format;
  IDirectSoundBuffer* buffer = nullptr;
  if (FAILED(device->CreateSoundBuffer(&desc, &buffer, nullptr))) return nullptr;
  void* part1 = nullptr;
  void* part2 = nullptr;
  DWORD bytes1 = 0, bytes2 = 0;
  if (SUCCEEDED(buffer->Lock(0, 0, &part1, &bytes1, &part2, &bytes2, DSBLOCK_ENTIREBUFFER))) {
    std::memcpy(part1, audio, std::min<DWORD>(bytes1, size));
    buffer->Unlock(part1, bytes1, part2, bytes2);
  }
  return buffer;
}

}  // namespace

IDirectSoundBuffer* PitchedTestBuffer(IDirectSound8* device, const SpeechVoice& voice, const uint8_t* audio,
                                      uint32_t size, int32_t frequencyOffset) {
  IDirectSoundBuffer* buffer = MakeTestBuffer(device, audio, size);
  if (!buffer) return nullptr;
  DWORD own = 0;
  buffer->GetFrequency(&own);
  buffer->SetFrequency(PitchedFrequency(own, frequencyOffset + VoiceScaleToPitchOffset(voice.PitchLeft())));
  return buffer;
}

void HearTestVoice(SpeechVoice& voice, TestSound& sound, const ConfiguratorSettings& settings, int testVoice,
                   int testRace, const std::string& text, const Lexicon* lexicon, bool textIsMarkup,
                   const TestSpeaker& speaker) {
  StopTestPieces();  // a test still being said in pieces says no more of itself
  voice.Release();
  voice.Init(sound.device ? MemoryStream : Speakers, 0);
  voice.SetAudioFormat(AudioFormat44kHz16BitMono);
  const int race = TestRaceToRaceConfig(testRace);
  const int32_t raceOffset = race < 0 ? 0 : settings.racePitch[race];
  const VoiceTestPlan plan = PlanVoiceTest(settings, testVoice, raceOffset, speaker);
  if (!plan.valid) return;
  voice.SetConfig(plan.config.c_str());
  voice.SelectVoice(plan.voiceName.c_str());
  // No filter: markup typed into the memo is SAPI's to read.
  const auto spoken = [&](const std::string& part) {
    return lexicon ? ThroughLexicon(*lexicon, part, plan.config, textIsMarkup) : part;
  };
  if (sound.device && settings.SpeakInPieces && StartTestPieces(voice, sound, text, spoken, plan.frequencyOffset))
    return;
  voice.Speak(spoken(text).c_str());
  if (!sound.device) return;
  const uint8_t* audio = nullptr;
  uint32_t size = 0;
  if (voice.GetAudio(&audio, &size) != 0) return;

  if (sound.buffer) {  // a test still playing stops before the next begins
    sound.buffer->Stop();
    sound.buffer->Release();
  }
  IDirectSoundBuffer* buffer = sound.buffer = PitchedTestBuffer(sound.device, voice, audio, size, plan.frequencyOffset);
  if (buffer) buffer->Play(0, 0, 0);
}
