// Placeholder until the SAPI implementation lands: every voice fails to set up.
#include "speech/speech_voice.h"

int32_t SpeechVoice::Init(uint32_t, uint32_t) { return -1; }
int32_t SpeechVoice::SelectVoice(const char*) { return 1; }
int32_t SpeechVoice::SetConfig(const char*) { return 0; }
int32_t SpeechVoice::SetFileName(const char*) { return 0; }
int32_t SpeechVoice::SetAudioFormat(int32_t) { return 1; }
int32_t SpeechVoice::Speak(const char*) { return 1; }
int32_t SpeechVoice::GetAudio(const uint8_t**, uint32_t*) { return 1; }
int32_t SpeechVoice::ListVoices(char*, uint32_t, uint32_t*) { return 1; }
void SpeechVoice::Release() {}
