// VoiceChannel: the plug-in's record of one voice and the request it carries.
// The four channels are process-wide; their addresses name the synthesized
// voice files ("VTTS%08X").
#pragma once
#include <cstddef>
#include "speech/speech_voice.h"

struct ObjectRef;
struct PluginSettings;

struct VoiceChannel {
  SpeechVoice voice;
  ObjectRef* speaker;   // the actor whose words these are
  char* text;           // filtered text on the process heap
  uint32_t autoSpeak;   // speak at once, or wait for the speak key
  uint32_t enabled;     // requests for a disabled channel are dropped
  char voiceName[128];  // description of the installed SAPI voice
  char voiceConfig[128];  // "<pitch absmiddle=..><rate absspeed=..><volume level=..>"
};

static_assert(sizeof(VoiceChannel) == 1852);
static_assert(offsetof(VoiceChannel, speaker) == 1580);
static_assert(offsetof(VoiceChannel, voiceConfig) == 1724);

extern VoiceChannel VoiceMaleDlg;
extern VoiceChannel VoiceFemaleDlg;
extern VoiceChannel VoiceCreatureDlg;
extern VoiceChannel VoiceDoc;

// In the order in which attach clears them and the exit paths release them.
inline VoiceChannel* const AllChannels[] = {&VoiceDoc, &VoiceMaleDlg, &VoiceFemaleDlg, &VoiceCreatureDlg};

// Stores the filtered text (SpeechTextFilter) in a fresh, zero-filled block
// of (length + 8) bytes on the process heap and frees the channel's previous
// text.  When the block cannot be had, the previous text stays and the
// result is false.
bool SetChannelText(VoiceChannel* channel, const char* text);

// Writes the channel's voice-file name into `name` (VoiceFileNameSize bytes).
void MakeVoiceFileName(const VoiceChannel* channel, char* name);

// The channel a voice-file path names (VoiceFileAddress), or null when the
// name is not ours or its address is not one of the four channels.
VoiceChannel* ChannelFromVoiceFileName(const char* path);

// Hands the voice keys that ReadSettings put into the record to the four
// channels, at attach before the worker starts: the three dialogue channels
// share LirraDlg's VoiceEnable and AutoSpeak, and each channel takes its own
// voice name and configuration.
void CopyVoiceSettings(const PluginSettings& settings);

// The channel at this address, or null when it is not one of the four: an
// address that came from outside (a message, a file name) is used only then.
inline VoiceChannel* KnownChannel(uintptr_t address) {
  for (VoiceChannel* c : AllChannels)
    if (reinterpret_cast<uintptr_t>(c) == address) return c;
  return nullptr;
}
