// The installed SAPI voices with what their tokens say of them: the
// description each is chosen by and its Gender attribute, which the
// speakers' pools go by (common/speaker_voice.h).  Both deliverables list
// them: the plug-in on its worker, to resolve the pools it was given, the
// configurator to offer them and to fill a new file's pools.
#pragma once
#include <cstdint>

inline constexpr int InstalledVoicesMax = 64;

struct InstalledVoiceEntry {
  char description[128];  // as GetDescription gives it, in the system code page; longer is cut
  char gender[16];        // empty when the token has no Gender attribute
};

struct InstalledVoiceList {
  int count;
  InstalledVoiceEntry voices[InstalledVoicesMax];  // in SAPI's order; beyond the room they are left out
};

// Lists the voices on the calling thread (which COM is initialised on by
// SpeechVoice::Init, or here).  0, or 1 when no SAPI voice could be created
// (an empty list then).
int32_t ListInstalledVoices(InstalledVoiceList& list);
