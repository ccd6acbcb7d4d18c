#include "plugin/speech/voice_channel.h"

#include <windows.h>

#include "plugin/frame/settings.h"
#include "plugin/speech/text_filter.h"
#include "plugin/speech/voice_file_name.h"

// Made zero by attach, owned by the worker once it runs.
VoiceChannel VoiceMaleDlg;
VoiceChannel VoiceFemaleDlg;
VoiceChannel VoiceCreatureDlg;
VoiceChannel VoiceDoc;

void CopyVoiceSettings(const PluginSettings& s) {
  static_assert(sizeof VoiceChannel::voiceName == VoiceTextSize && sizeof VoiceChannel::voiceConfig == VoiceTextSize);
  const struct {
    VoiceChannel* channel;
    int32_t enabled, autoSpeak;
    const char* name;
    const char* config;
  } voices[] = {
      {&VoiceMaleDlg, s.DlgVoiceEnable, s.DlgAutoSpeak, s.VoiceMaleName, s.VoiceMaleConfig},
      {&VoiceFemaleDlg, s.DlgVoiceEnable, s.DlgAutoSpeak, s.VoiceFemaleName, s.VoiceFemaleConfig},
      {&VoiceCreatureDlg, s.DlgVoiceEnable, s.DlgAutoSpeak, s.VoiceCreatureName, s.VoiceCreatureConfig},
      {&VoiceDoc, s.DocVoiceEnable, s.DocAutoSpeak, s.DocVoiceName, s.DocVoiceConfig},
  };
  for (const auto& v : voices) {
    v.channel->enabled = static_cast<uint32_t>(v.enabled);
    v.channel->autoSpeak = static_cast<uint32_t>(v.autoSpeak);
    lstrcpynA(v.channel->voiceName, v.name, sizeof v.channel->voiceName);
    lstrcpynA(v.channel->voiceConfig, v.config, sizeof v.channel->voiceConfig);
  }
}

bool SetChannelText(VoiceChannel* channel, const char* text) {
  HANDLE heap = GetProcessHeap();
  const uint32_t length = text ? static_cast<uint32_t>(lstrlenA(text)) : 0;
  char* block = static_cast<char*>(HeapAlloc(heap, HEAP_ZERO_MEMORY, length + 8));
  if (!block) return false;
  SpeechTextFilter(block, text ? text : "", length);
  if (channel->text) HeapFree(heap, 0, channel->text);
  channel->text = block;
  return true;
}

void MakeVoiceFileName(const VoiceChannel* channel, char* name) {
  FormatVoiceFileName(static_cast<uint32_t>(reinterpret_cast<uintptr_t>(channel)), name);
}

VoiceChannel* ChannelFromVoiceFileName(const char* path) {
  uint32_t address;
  return VoiceFileAddress(path, &address) ? KnownChannel(address) : nullptr;
}
