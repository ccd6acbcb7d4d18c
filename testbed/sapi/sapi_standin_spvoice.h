// The stand-in's SpVoice also answers ISpVoice, as SAPI's does: a thin
// object over the automation voice that the voice object falls back to on
// a SAPI without memory-stream and audio-format classes.
#pragma once
#include <windows.h>
#include <sapi.h>

// A new ISpVoice over `owner` (which it holds a reference on), or null.
ISpVoice* MakeSpVoiceOver(ISpeechVoice* owner);
