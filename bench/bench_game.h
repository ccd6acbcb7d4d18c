// What the benchmarks that run the game double share: raw object memory, the
// game's own bytes put back at some places for a while, a thread that takes
// speak requests and drops them, and one pass of a dialogue line through the
// dialogue routine's call site with the double's partner as its owner.
#pragma once
#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "game/game_double.h"
#include "plugin/frame/plugin_state.h"
#include "plugin/frame/settings.h"
#include "plugin/patching/hook_catalogue.h"

namespace bench {

inline uint32_t Addr(const void* p) { return static_cast<uint32_t>(reinterpret_cast<uintptr_t>(p)); }
template <typename T>
void Put(uint8_t* object, uint32_t offset, T value) {
  std::memcpy(object + offset, &value, sizeof value);
}

// The game's own bytes at these places while it lives, the hooks after.
class GameBytes {
 public:
  template <size_t N>
  explicit GameBytes(const uint32_t (&places)[N]) {
    for (uint32_t offset : places) {
      const game_double::PlaceBytes* place = game_double::FindPlace(offset);
      saved_.push_back({offset, std::vector<uint8_t>(game_double::At(offset), game_double::At(offset) + place->size)});
      game_double::PokeImage(offset, place->bytes, place->size);
    }
  }
  ~GameBytes() {
    for (const auto& s : saved_) game_double::PokeImage(s.first, s.second.data(), static_cast<uint32_t>(s.second.size()));
  }
  GameBytes(const GameBytes&) = delete;
  GameBytes& operator=(const GameBytes&) = delete;

 private:
  std::vector<std::pair<uint32_t, std::vector<uint8_t>>> saved_;
};

// Takes the speak requests and drops them, so that the game's side is timed
// alone.
inline DWORD WINAPI DrainRequests(void*) {
  MSG m;
  while (GetMessageA(&m, nullptr, 0, 0) > 0)
    if (m.message == WM_SPEAK_REQUEST && m.lParam) HeapFree(GetProcessHeap(), 0, reinterpret_cast<void*>(m.lParam));
  return 0;
}

// A thread running `body`, once its message queue exists.
inline DWORD StartQueuedThread(LPTHREAD_START_ROUTINE body) {
  DWORD id;
  CloseHandle(CreateThread(nullptr, 0, body, nullptr, 0, &id));
  while (!PostThreadMessageA(id, WM_USER + 1, 0, 0)) Sleep(5);
  return id;
}

// The game double with the plug-in as attach leaves it (default settings,
// the collected-text buffer, every hook in) and a drain in the worker's
// place, so that the game's threads are timed alone.
inline void HookedGameWithoutWorker() {
  game_double::BuildGameImage();
  GameBase = game_double::Base();
  Settings = PluginDefaults();
  CapturedText = static_cast<char*>(HeapAlloc(GetProcessHeap(), 0, 1024));
  CapturedText[0] = 0;
  InstallHooks();
  WorkerThreadId = StartQueuedThread(DrainRequests);
}

// The player: a record without ActorData, so a man.
inline void MakePlayerMan() {
  static uint8_t record[0x80];
  uint8_t* player = game_double::Objects().playerRef;
  Put(record, 0x18, Addr(player));
  Put(player, 0x28, Addr(record));
}

// One pass of `text` through the dialogue routine's call site (the game
// passes each line twice), owned by the double's partner.
inline void DialogueText(const char* text) {
  alignas(16) static uint32_t gameStack[4096];
  uint32_t* s = &gameStack[2048];
  const uint32_t frame[] = {1, Addr(game_double::Objects().partnerMobile), 3, 4, 5, Addr(text), 0xED1, 0xE51,
                            static_cast<uint32_t>(game_double::FallExitAddress())};
  std::memcpy(s, frame, sizeof frame);
  game_double::Cpu in{}, out{};
  in.eflags = 0x202;
  in.esp = Addr(s);
  game_double::RunPlace(game_double::Base() + 0x00BE32, in, out);
}

// The double's partner made a Dark Elf woman, Dralasa Nerethi, speaking for
// herself.
inline void MakeDarkElfPartner() {
  static uint8_t record[0x80], data[0xC0], race[0x40];
  static const char name[] = "Dralasa Nerethi";
  uint8_t* ref = game_double::Objects().partnerRef;
  Put(record, 0x18, Addr(ref));
  Put(record, 0x6C, Addr(data));
  Put(data, 0x34, 1u);
  Put(data, 0x70, Addr(name));
  Put(data, 0x2C, Addr(name));
  std::strcpy(reinterpret_cast<char*>(race + 0x10), "Dark Elf");
  Put(data, 0xB0, Addr(race));
  Put(ref, 0x28, Addr(record));
}

// A book page of twenty sentences that wrap once each: forty lines.
inline std::string FortyLinePage() {
  std::string page;
  char sentence[128];
  for (int i = 0; i < 20; ++i) {
    std::snprintf(sentence, sizeof sentence, "Sentence %02d of the Annals runs on and wraps onto a line.<BR>", i);
    page += sentence;
  }
  return page;
}

}  // namespace bench
