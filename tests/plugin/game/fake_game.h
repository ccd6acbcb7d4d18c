// A small stand-in for the game inside a test program: a reserved range the
// size of the game image whose globals and routines sit at the game's
// offsets (GameBase points at it), and actors built field by field at the
// offsets the plug-in reads.  Routines are jumps into C++ fakes that record
// their calls.
#pragma once
#include <windows.h>
#include <mmsystem.h>
#include <dsound.h>

#include <cstdint>
#include <cstring>
#include <deque>
#include <string>
#include <vector>

#include "plugin/frame/plugin_state.h"
#include "plugin/game/game_layout.h"
#include "plugin/game/game_routines.h"

namespace fakegame {

struct SayCall {
  std::string name;
  ObjectRef* speaker;
  uint32_t zero, volume;
  DWORD tick;  // GetTickCount() when the game was asked to say it
  // With playVoices: the buffer the hooked loader made and the game played
  // (null when it made none), its frequency and bytes.
  IDirectSoundBuffer* buffer;
  uint32_t frequency, bytes;
  bool speakerStillPlaying;  // an earlier buffer of this speaker played when this one was asked for
  uint32_t peakCount;        // entries of the record's peaks
  bool peaksOfTheBuffer;     // they are the peaks of the buffer's own samples
};

struct LoaderCall {
  std::string path;
  uint32_t second;
};

// What the fake routines saw, and what they answer.
struct Routines {
  std::vector<SayCall> says;
  // The say routine loads a "VTTS" name through the plug-in's hooked loader
  // (ProcessVoiceFile) and plays the buffer, as the game does; otherwise it
  // only records the call.  The sound manager needs a DirectSound then.
  bool playVoices = false;
  std::vector<LoaderCall> loads;
  int32_t volume = 200;
  void* loaderResult = reinterpret_cast<void*>(0x10AD);
};
Routines& Calls();

// Raw zeroed memory standing in for one game object.
class Block {
 public:
  explicit Block(size_t size) : bytes_(size, 0) {}
  template <typename T = uint8_t>
  T* as() { return reinterpret_cast<T*>(bytes_.data()); }
  template <typename T>
  void put(uint32_t offset, T value) { std::memcpy(bytes_.data() + offset, &value, sizeof value); }

 private:
  std::vector<uint8_t> bytes_;
};

// One actor: its ActorMobile, ObjectRef, ObjectRecord, ActorData and race.
struct Actor {
  ActorMobile* mobile;
  ObjectRef* ref;
  ObjectRecord* record;
};

class Game {
 public:
  Game();
  ~Game();
  Game(const Game&) = delete;
  Game& operator=(const Game&) = delete;

  // An NPC (female or not) of a race, or a creature (race ignored); with
  // `withActorData` false the record has none.
  Actor MakeNpc(const char* name, bool female, const char* race, bool withActorData = true);
  Actor MakeCreature(const char* name, bool female);
  void SetPlayer(const Actor* player);  // null: no player in the world
  SoundManager* soundManager() { return soundManager_.as<SoundManager>(); }
  GameMaster* gameMaster() { return master_.as<GameMaster>(); }

 private:
  Actor Make(const char* name, const char* secondText, bool female, uint32_t typeTag, const char* race,
             bool withActorData);
  uint8_t* image_;
  Block master_{0x400};
  Block playerList_{0x40};
  Block soundManager_{0x300};
  ActorMobile* playerSlot_ = nullptr;
  std::deque<Block> blocks_;
  std::deque<std::string> texts_;
};

}  // namespace fakegame
