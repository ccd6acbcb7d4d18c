// Under Wine (or Proton) a prefix often has no speech voice at all: Wine's
// SAPI speaks only through engines registered as voice tokens, and brings
// none.  INSTALL then registers the Quorrim voices (QuorrimVoice.dll beside
// the configurator, speaking through the system's espeak-ng); UNINSTALL
// removes them.  On Windows none of this happens.
#pragma once
#include <string>
#include <vector>

// ntdll exports wine_get_version under Wine, never on Windows.
bool RunningUnderWine();
// A voice token other than ours whose engine class is registered (Wine's
// own "Wine Default Voice" token names no engine and does not count).
bool PrefixHasOtherVoice();
bool QuorrimVoicesRegistered();
bool EspeakInstalled();

// What INSTALL and UNINSTALL did about the voices, as keys of the text
// table, one log line each; empty on Windows, and for INSTALL when there is
// no QuorrimVoice.dll beside the configurator.
std::vector<const char*> InstallWineVoices(const std::string& exeDir);
std::vector<const char*> RemoveWineVoices();
