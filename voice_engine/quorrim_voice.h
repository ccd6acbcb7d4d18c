// QuorrimVoice.dll: a SAPI 5 voice engine for Wine and Proton prefixes that
// have no voice of their own.  It speaks through the system's espeak-ng,
// started as a Unix program, and registers four voice tokens (English and
// Russian, male and female).  DllRegisterServer and DllUnregisterServer add
// and remove the engine's class and its tokens; Sethrim calls them.
#pragma once
#include <windows.h>

// {6E0B8F4A-2C5D-4B7E-9A31-8D4C2F7E1B95}
inline constexpr CLSID CLSID_QuorrimVoice = {
    0x6e0b8f4a, 0x2c5d, 0x4b7e, {0x9a, 0x31, 0x8d, 0x4c, 0x2f, 0x7e, 0x1b, 0x95}};

inline constexpr char QuorrimVoiceDll[] = "QuorrimVoice.dll";

// What Speak answers when it cannot speak (SAPI hands it to its caller):
// espeak-ng is not where the voice looks for it, could not be started, or
// gave no complete wave in time.
inline constexpr HRESULT EspeakNotFound = HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND);
inline constexpr HRESULT EspeakNotStarted = HRESULT_FROM_WIN32(ERROR_BAD_EXE_FORMAT);
inline constexpr HRESULT EspeakNoWave = HRESULT_FROM_WIN32(ERROR_TIMEOUT);

// One voice token.  Its registry key is
// HKLM\SOFTWARE\Microsoft\Speech\Voices\Tokens\<key>.
struct QuorrimVoiceToken {
  const wchar_t* key;
  const wchar_t* description;
  const wchar_t* gender;    // "Male", "Female"
  const wchar_t* language;  // SAPI's hexadecimal LANGID: "409", "419"
  const wchar_t* age;       // "Adult"
  const wchar_t* espeakVoice;
};

inline constexpr QuorrimVoiceToken QuorrimVoiceTokens[] = {
    {L"QuorrimVoice-en-male", L"Quorrim English Male", L"Male", L"409", L"Adult", L"gmw/en"},
    {L"QuorrimVoice-en-female", L"Quorrim English Female", L"Female", L"409", L"Adult", L"gmw/en+f3"},
    {L"QuorrimVoice-ru-male", L"Quorrim Russian Male", L"Male", L"419", L"Adult", L"zle/ru"},
    {L"QuorrimVoice-ru-female", L"Quorrim Russian Female", L"Female", L"419", L"Adult", L"zle/ru+f3"},
};

inline constexpr wchar_t VoiceTokensKey[] = L"SOFTWARE\\Microsoft\\Speech\\Voices\\Tokens";
// The token value naming the espeak-ng voice, and the one (absent in the
// registered tokens) that names another espeak-ng program than the usual
// places (/usr/bin, /usr/local/bin, the Steam runtime's /run/host/usr/bin).
inline constexpr wchar_t EspeakVoiceValue[] = L"EspeakVoice";
inline constexpr wchar_t EspeakProgramValue[] = L"EspeakProgram";
