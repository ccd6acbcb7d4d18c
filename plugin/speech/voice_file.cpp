// Placeholders until voice-file substitution lands: nothing is played, and
// every voice file goes to the game's own loader.
#include "plugin/speech/voice_file.h"

#include "plugin/frame/plugin_state.h"

uint32_t PlayChannel(VoiceChannel* channel) { return channel ? 0 : 1; }

void* __fastcall ProcessVoiceFile(void* soundManager, void*, const char* path, uint32_t second) {
  using GameLoader = void*(__thiscall*)(void*, const char*, uint32_t);
  constexpr uintptr_t GameVoiceLoader = 0x1DB0;
  return reinterpret_cast<GameLoader>(GameBase + GameVoiceLoader)(soundManager, path, second);
}
