// The voice engine: ISpTTSEngine over espeak-ng, ISpObjectWithToken for the
// voice token SAPI creates it from.
#pragma once
#include <windows.h>

#include "voice_engine/tts_engine_interfaces.h"

// A new engine with one reference, or null.
IUnknown* CreateQuorrimVoiceEngine();
// Engines alive, for DllCanUnloadNow.
long LiveQuorrimVoiceEngines();
