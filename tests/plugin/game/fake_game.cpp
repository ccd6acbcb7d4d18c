#include "plugin/game/fake_game.h"

#include "plugin/game/game_offsets.h"
#include "plugin/speech/sound_record.h"
#include "plugin/game/voice_playback.h"

namespace fakegame {

Routines& Calls() {
  static Routines r;
  return r;
}

namespace {

// The game's routines are thiscall with their stack arguments removed by the
// callee; a fastcall function with a dummy edx has the same shape.
void __fastcall Say(SoundManager* manager, void*, const char* name, ObjectRef* speaker, uint32_t zero,
                    uint32_t volume) {
  SayCall call{name, speaker, zero, volume, GetTickCount(), nullptr, 0, 0, false, 0, false};
  if (Calls().playVoices) {
    for (const SayCall& earlier : Calls().says) {
      DWORD status = 0;
      if (earlier.speaker == speaker && earlier.buffer && SUCCEEDED(earlier.buffer->GetStatus(&status)) &&
          (status & DSBSTATUS_PLAYING))
        call.speakerStillPlaying = true;
    }
    // The game keeps the record and its buffer; so does this test's game.
    if (auto* record = static_cast<GameSoundRecord*>(ProcessVoiceFile(manager, nullptr, name, 0))) {
      call.buffer = record->buffer;
      DWORD frequency = 0;
      call.buffer->GetFrequency(&frequency);
      call.frequency = frequency;
      call.bytes = record->description.dwBufferBytes;
      call.buffer->Play(0, 0, 0);
      void* pcm = nullptr;
      DWORD bytes = 0;
      if (SUCCEEDED(call.buffer->Lock(0, 0, &pcm, &bytes, nullptr, nullptr, DSBLOCK_ENTIREBUFFER))) {
        std::vector<int16_t> own(bytes / BytesPerPeak + 1);
        call.peakCount = ComputeFramePeaks(static_cast<const uint8_t*>(pcm), bytes, own.data());
        call.peaksOfTheBuffer = record->framePeaks &&
                                std::memcmp(own.data(), record->framePeaks, call.peakCount * sizeof(int16_t)) == 0;
        call.buffer->Unlock(pcm, bytes, nullptr, 0);
      }
    }
  }
  Calls().says.push_back(call);
}
int32_t __fastcall VolumeQuery(void*, void*, uint32_t, float, uint32_t, uint32_t) { return Calls().volume; }
void* __fastcall Loader(SoundManager*, void*, const char* path, uint32_t second) {
  Calls().loads.push_back({path, second});
  return Calls().loaderResult;
}

void Jump(uint8_t* at, const void* to) {
  at[0] = 0xE9;
  const int32_t rel = static_cast<int32_t>(reinterpret_cast<const uint8_t*>(to) - (at + 5));
  std::memcpy(at + 1, &rel, 4);
}

void* __cdecl Allocate(uint32_t bytes) { return HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, bytes); }
}  // namespace

Game::Game() {
  image_ = static_cast<uint8_t*>(VirtualAlloc(nullptr, 0x3D6000, MEM_RESERVE | MEM_COMMIT, PAGE_EXECUTE_READWRITE));
  GameBase = reinterpret_cast<uintptr_t>(image_);
  *reinterpret_cast<GameMaster**>(image_ + game_offsets::GameMasterHolder) = gameMaster();
  *reinterpret_cast<SoundManager**>(image_ + game_offsets::SoundManagerHolder) = soundManager();
  master_.put<PlayerList*>(0x5C, playerList_.as<PlayerList>());
  playerList_.put<ActorMobile**>(0x24, &playerSlot_);
  Jump(image_ + game_offsets::SayVoiceFile, reinterpret_cast<const void*>(&Say));
  Jump(image_ + game_offsets::VoiceVolumeQuery, reinterpret_cast<const void*>(&VolumeQuery));
  Jump(image_ + game_offsets::VoiceFileLoader, reinterpret_cast<const void*>(&Loader));
  GameAllocator = &Allocate;
  Calls() = Routines{};
  // The worker adds say calls while a test reads them: no reallocation under it.
  Calls().says.reserve(1024);
}

Game::~Game() {
  VirtualFree(image_, 0, MEM_RELEASE);
  GameBase = 0;
  GameAllocator = nullptr;
}

Actor Game::Make(const char* name, const char* secondText, bool female, uint32_t typeTag, const char* race,
                 bool withActorData) {
  Block& mobile = blocks_.emplace_back(0x600);
  Block& ref = blocks_.emplace_back(0x80);
  Block& record = blocks_.emplace_back(0x80);
  mobile.put<ObjectRef*>(0x14, ref.as<ObjectRef>());
  ref.put<ObjectRecord*>(0x28, record.as<ObjectRecord>());
  record.put<uint32_t>(0x04, typeTag);
  record.put<ObjectRef*>(0x18, ref.as<ObjectRef>());
  if (withActorData) {
    Block& data = blocks_.emplace_back(0xC0);
    Block& raceRecord = blocks_.emplace_back(0x60);
    lstrcpynA(raceRecord.as<char>() + 0x10, race ? race : "", 0x50);
    data.put<const char*>(0x70, texts_.emplace_back(name).c_str());
    data.put<const char*>(0x2C, texts_.emplace_back(secondText).c_str());
    data.put<uint32_t>(0x34, female ? 1u : 0u);
    data.put<RaceRecord*>(0xB0, raceRecord.as<RaceRecord>());
    record.put<ActorData*>(0x6C, data.as<ActorData>());
  }
  return {mobile.as<ActorMobile>(), ref.as<ObjectRef>(), record.as<ObjectRecord>()};
}

Actor Game::MakeNpc(const char* name, bool female, const char* race, bool withActorData) {
  return Make(name, (std::string(name) + "_id").c_str(), female, 0x5F43504E /* "NPC_" */, race, withActorData);
}

Actor Game::MakeCreature(const char* name, bool female) {
  return Make(name, (std::string(name) + "_id").c_str(), female, CreatureTypeTag, nullptr, true);
}

void Game::SetPlayer(const Actor* player) {
  playerSlot_ = player ? player->mobile : nullptr;
  master_.put<PlayerList*>(0x5C, player ? playerList_.as<PlayerList>() : nullptr);
}

}  // namespace fakegame
