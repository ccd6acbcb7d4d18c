// "VTTS" + the channel's address in eight hexadecimal digits: the made-up
// voice-file name under which the worker asks the game to say a line.
#pragma once
#include <cstdint>

inline constexpr char VoiceFileTag[] = "VTTS";
inline constexpr uint32_t VoiceFileNameSize = 16;

// Writes the voice-file name of the channel at `address` into `name`
// (VoiceFileNameSize bytes).
void FormatVoiceFileName(uint32_t address, char* name);

// The address a path names: false when the part after the last backslash
// does not begin with the tag (letter case counts); otherwise the last eight
// digits of the hexadecimal run behind it (0 for none).  Whether that is one
// of the four channels is ChannelFromVoiceFileName's to say.
bool VoiceFileAddress(const char* path, uint32_t* address);

// The game's voice volume raised by the dialogue zoom: (savedFov - targetFov)
// / 1.5, rounded half to even, added while a zoom target is set, then
// limited to 0..255.
uint32_t ZoomedVoiceVolume(int32_t volume, int32_t savedFov, int32_t targetFov);
