// "VTTS" + the channel's address in eight hexadecimal digits: the made-up
// voice-file name under which the worker asks the game to say a line.
#pragma once
#include <cstdint>

struct VoiceChannel;

inline constexpr char VoiceFileTag[] = "VTTS";
inline constexpr uint32_t VoiceFileNameSize = 16;

// Writes the channel's voice-file name into `name` (VoiceFileNameSize bytes).
void MakeVoiceFileName(const VoiceChannel* channel, char* name);
void FormatVoiceFileName(uint32_t address, char* name);

// The channel a path names: the part after the last backslash must begin
// with the tag (letter case counts), and the last eight digits of the
// hexadecimal run behind it must be the address of one of the four channels.
// Anything else is not ours and gives null.
VoiceChannel* ChannelFromVoiceFileName(const char* path);
// The address part of that rule: false when the name does not begin with the
// tag; otherwise the last eight digits of the run (0 for none).
bool VoiceFileAddress(const char* path, uint32_t* address);

// The game's voice volume raised by the dialogue zoom: (savedFov - targetFov)
// / 1.5, rounded half to even, added while a zoom target is set, then
// limited to 0..255.
uint32_t ZoomedVoiceVolume(int32_t volume, int32_t savedFov, int32_t targetFov);
