// SpeechVoice: one SAPI 5 text-to-speech voice driven through the automation
// interfaces.  Built into both the plug-in (four voices, owned by the worker
// thread) and the configurator (its voice test).
//
// The object is zero-filled by its owner and made ready by Init; it is not
// thread-safe and is used from the thread that called Init.
#pragma once
#include <windows.h>
#include <oaidl.h>
#include <cstdint>

struct ISpeechVoice;
struct ISpeechFileStream;
struct ISpeechMemoryStream;
struct ISpeechObjectTokens;
struct ISpeechAudioFormat;

enum SpeechOutputMode : uint32_t {
  Speakers = 0,      // the default audio device
  MemoryStream = 1,  // an SpMemoryStream; fetch the PCM bytes with GetAudio
  FileStream = 2,    // a wave file named by SetFileName
};

// SAPI's SAFT44kHz16BitMono: 44 100 Hz, 16-bit, mono PCM.
inline constexpr int AudioFormat44kHz16BitMono = 34;

class SpeechVoice {
 public:
  // COM status of the object creation; -1 for an unknown mode.
  int32_t Init(uint32_t mode, uint32_t async);
  // 0 selected, 1 the SAPI voice could not be created, 2 no such voice.
  int32_t SelectVoice(const char* description);
  int32_t SetConfig(const char* config);
  int32_t SetFileName(const char* path);
  int32_t SetAudioFormat(int32_t type);
  // 0 after the speak call was made; 1 without a voice, a text, or the
  // stream its mode writes to (nothing is spoken then).
  int32_t Speak(const char* text);
  // 0; 1 without a memory stream; 2 when the stream gave no data.  The bytes
  // stay valid until the next GetAudio or Release.
  int32_t GetAudio(const uint8_t** data, uint32_t* size);
  // Descriptions of the installed voices, last enumerated first, each
  // followed by CR LF.  0, or 1 when no SAPI voice could be created.
  int32_t ListVoices(char* buffer, uint32_t size, uint32_t* count);
  // Releases every interface at most once, however often it is reached.
  void Release();

  // How this voice reaches SAPI (SpeechRouteBits of speech/sapi_fallback.h):
  // 0 where SAPI has its memory stream, audio format and markup (Windows).
  // Decided once, by Init and SelectVoice, or by the first Speak whose
  // markup SAPI refuses; the caller logs it (RouteDescription).
  uint32_t Route() const;
  static const char* RouteDescription(uint32_t route);
  // The configuration's pitch the last Speak could not give the voice
  // (plain text only; 0 otherwise): the caller carries it by the sound's
  // frequency, as it does the race pitch.
  int32_t PitchLeft() const;

  // Fields in their fixed order (the channel layout depends on it).
  uint32_t configLength;
  SAFEARRAY* audioArray;
  HANDLE heap;
  wchar_t voiceName[256];
  wchar_t config[256];
  wchar_t fileName[256];
  ISpeechVoice* voice;
  ISpeechFileStream* fileStream;
  ISpeechMemoryStream* memoryStream;
  ISpeechObjectTokens* tokens;
  ISpeechAudioFormat* audioFormat;
  uint32_t async;
  uint32_t mode;
  wchar_t* voiceList;

 private:
  void DecideMarkup();
};

static_assert(sizeof(SpeechVoice) == 1580);
