// The game routines the plug-in calls itself, typed once with their real
// calling conventions.  Each address is GameBase + offset, taken at the call.
#pragma once
#include <cstdint>

#include "plugin/frame/plugin_state.h"
#include "plugin/game/game_layout.h"
#include "plugin/game/game_offsets.h"

namespace game {

template <typename Fn>
Fn At(uint32_t offset) {
  return reinterpret_cast<Fn>(GameBase + offset);
}

// Camera control in ECX; the callee removes the float.
using SetFieldOfViewFn = void(__thiscall*)(CameraControl* control, float degrees);
inline SetFieldOfViewFn SetFieldOfView() { return At<SetFieldOfViewFn>(game_offsets::SetFieldOfView); }

// On GameMaster +0x34; arguments 0, 1.0f, 1, 0; returns the voice volume.
using VoiceVolumeQueryFn = int32_t(__thiscall*)(void* volumeControl, uint32_t, float, uint32_t, uint32_t);
inline VoiceVolumeQueryFn VoiceVolumeQuery() { return At<VoiceVolumeQueryFn>(game_offsets::VoiceVolumeQuery); }

// On the sound manager (held at GameBase + 0x3C67E0).
using SayVoiceFileFn = void(__thiscall*)(SoundManager* manager, const char* fileName, ObjectRef* speaker,
                                         uint32_t zero, uint32_t volume);
inline SayVoiceFileFn SayVoiceFile() { return At<SayVoiceFileFn>(game_offsets::SayVoiceFile); }

// The game's own voice-file loader (the call site is hooked).
using VoiceFileLoaderFn = void*(__thiscall*)(SoundManager* manager, const char* path, uint32_t second);
inline VoiceFileLoaderFn VoiceFileLoader() { return At<VoiceFileLoaderFn>(game_offsets::VoiceFileLoader); }

// Applies the game's pitch to a sound; removes its two stack arguments.
using VoicePitchStepFn = void(__stdcall*)(void* sound, uint32_t second);
inline VoicePitchStepFn VoicePitchStep() { return At<VoicePitchStepFn>(game_offsets::VoicePitchStep); }

// Virtual slots.
inline constexpr int RefScaleSlot = 72;
inline constexpr int FindNodeSlot = 23;
using RefScaleFn = float(__thiscall*)(ObjectRef* ref);
using FindNodeFn = SceneNode*(__thiscall*)(SceneNode* node, const char* name);

}  // namespace game

// The game's allocator (import thunk at GameBase + 0x327692), recorded by the
// data check at attach.  Blocks from it are freed by the game as its own.
using GameAllocatorFn = void*(__cdecl*)(uint32_t byteCount);
extern GameAllocatorFn GameAllocator;
