#include "plugin/frame/lifecycle.h"

#include <cstring>

#include "common/settings_keys.h"
#include "plugin/frame/log.h"
#include "plugin/frame/settings.h"
#include "plugin/patching/hook_catalogue.h"
#include "plugin/game/voice_playback.h"
#include "plugin/speech/lexicon_speech.h"
#include "plugin/speech/speak_loop.h"
#include "plugin/speech/speaker_buffer_table.h"
#include "plugin/speech/voice_channel.h"

HINSTANCE PluginInstance;
HANDLE PluginHeap;
uintptr_t GameBase;
char PluginDir[256];
char LogFilePath[256];
char* CapturedText;
HANDLE WorkerThread;
DWORD WorkerThreadId;
bool Started;  // attach went through (loader mode or a running worker)

namespace {

constexpr DWORD VersionMessageStyle = MB_ICONHAND | MB_SYSTEMMODAL;  // 0x1010

const char VersionMessageEnglish[] =
    "One of a signatures is differs.\r\nWrong version of 'Morrowind.exe'? (Need: 1.6.1820).\r\n"
    "CONTINUE IS IMPOSSIBLE!";
// The same in Russian, code page 1251.
const char VersionMessageRussian[] =
    "\xCE\xE4\xED\xE0 \xE8\xE7 \xF1\xE8\xE3\xED\xE0\xF2\xF3\xF0 \xED\xE5 \xF1\xEE\xE2\xEF\xE0\xE4\xE0\xE5\xF2."
    "\r\n\xCD\xE5 \xF2\xE0 \xE2\xE5\xF0\xF1\xE8\xFF 'Morrowind.exe'? (\xCD\xF3\xE6\xED\xE0: 1.6.1820)."
    "\r\n\xCF\xD0\xCE\xC4\xCE\xCB\xC6\xC5\xCD\xC8\xC5 \xD0\xC0\xC1\xCE\xD2\xDB \xCD\xC5\xC2\xCE\xC7\xCC\xCE\xC6\xCD\xCE!";

using HostLogPathFn = const char*(__stdcall*)(uint32_t, uint32_t);

// Calls the host's WriteLogFile(0, 0).  The host's convention is not ours to
// know: whether it removes its two arguments or leaves them, the stack pointer
// is taken back from the frame afterwards.  The function comes in EAX, pinned:
// any register the compiler might choose could be EBP, which the frame below
// overwrites before the call.
__attribute__((noinline)) const char* CallHostLogPath(void* function) {
  const char* result;
  __asm__ volatile(
      "push %%ebp\n\t"
      "mov %%esp, %%ebp\n\t"
      "push $0\n\t"
      "push $0\n\t"
      "call *%%eax\n\t"
      "mov %%ebp, %%esp\n\t"
      "pop %%ebp"
      : "=a"(result)
      : "0"(function)
      : "ecx", "edx", "memory", "cc");
  return result;
}

DWORD WINAPI WorkerThreadProc(void*) {
  LOG_LINE("Entering worker thread...");
  SetUpVoices();
  LOG_LINE("WRKTHREAD::Entering message loop.");
  RunSpeakLoop(VoicePlayback);
  LOG_LINE("Exiting Quorrim...");
  ReleaseVoices();
  // Drops the reference taken for this thread when it was created.
  FreeLibraryAndExitThread(PluginInstance, 1);
}

// The worker holds a reference of its own, so that the library stays mapped
// while the thread runs, however the host unloads it.
bool TakeWorkerReference() {
  HMODULE self;
  return GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS,
                            reinterpret_cast<LPCSTR>(&WorkerThreadProc), &self) != 0;
}

// Takes back what attach did to the process before it returns FALSE.
BOOL GiveUpStart() {
  UndoHooks();
  if (CapturedText) HeapFree(PluginHeap, 0, CapturedText);
  CapturedText = nullptr;
  return FALSE;
}

// Another game version (or a game already changed by someone else): say so,
// put back what was written, and let the loader unload the library.  Ending
// the loading thread here instead would leave the loader lock held by a
// thread that no longer exists, and the game would hang at its next load.
BOOL RefuseToStart() {
  MessageBoxA(nullptr, VersionMessageText(Settings.LangIndex), ProductName, VersionMessageStyle);
  return GiveUpStart();
}

// No worker, so no plug-in: the hooks go too, since a FALSE from attach
// unmaps the library and a hook left behind would jump into nothing.
BOOL FailedWorkerStart() {
  LOG_LINE("DLLMAIN::Failed to create worker thread!");
  return GiveUpStart();
}
}  // namespace

const char* VersionMessageText(int langIndex) {
  return langIndex != 0 ? VersionMessageEnglish : VersionMessageRussian;
}

void SetUpProcessState(HINSTANCE instance) {
  PluginInstance = instance;
  PluginHeap = GetProcessHeap();
  GameBase = reinterpret_cast<uintptr_t>(GetModuleHandleA(nullptr));

  void* hostLogPath = nullptr;
  if (HMODULE host = GetModuleHandleA("MLDRLib.dll"))
    hostLogPath = reinterpret_cast<void*>(GetProcAddress(host, "WriteLogFile"));

  CapturedText = static_cast<char*>(HeapAlloc(PluginHeap, 0, 1024));
  if (CapturedText) CapturedText[0] = 0;

  char modulePath[256] = {};
  GetModuleFileNameA(instance, modulePath, sizeof modulePath);

  for (VoiceChannel* c : AllChannels) std::memset(c, 0, sizeof *c);
  std::memset(SpeakerBufferTable, 0, sizeof SpeakerBufferTable);
  std::memset(LogFilePath, 0, sizeof LogFilePath);

  if (hostLogPath) {
    if (const char* path = CallHostLogPath(hostLogPath)) lstrcpynA(LogFilePath, path, sizeof LogFilePath);
  }

  for (int i = lstrlenA(modulePath) - 1; i > 0; --i) {
    if (modulePath[i] == '\\') {
      modulePath[i + 1] = 0;
      break;
    }
  }
  lstrcpynA(PluginDir, modulePath, sizeof PluginDir);

  ReadSettings(settings_file::FileName);
  CopyVoiceSettings(Settings);
}

bool StartWorker() {
  if (!TakeWorkerReference()) return false;
  WorkerThread = CreateThread(nullptr, 0, WorkerThreadProc, nullptr, CREATE_SUSPENDED, &WorkerThreadId);
  if (WorkerThread == nullptr) {
    FreeLibrary(PluginInstance);
    return false;
  }
  LOG_LINE("DLLMAIN::Worker thread are created successfully.");
  ResumeThread(WorkerThread);
  return true;
}

BOOL AttachPlugin(HINSTANCE instance) {
  // The loader may call the exported entry again with attach: the plug-in
  // already runs (or runs in loader mode), and starting again would clear
  // the channels under the worker and find its own hooks "differing".
  if (Started) return TRUE;
  SetUpProcessState(instance);
  LOG_LINE("DLLMAIN::Main EXE module loaded at %08X.", static_cast<unsigned>(GameBase));

  if (GetProcAddress(GetModuleHandleA(nullptr), "IsModuleLoader")) {  // the loader's own program
    Started = true;
    return TRUE;
  }

  LOG_LINE("Starting %s...", ProductName);
  if (InstallHooks() != 0) return RefuseToStart();
  LoadSpeechLexicon();
  if (!StartWorker()) return FailedWorkerStart();
  // From here on the game's threads only queue their lines.  Without the
  // writer they write them themselves, as everything before did.
  if (LoggingOn()) StartLogWriter();
  Started = true;
  return TRUE;
}

// The voices belong to the worker, which may be inside a Speak call right now:
// releasing their interfaces from another thread could pull them out from
// under SAPI.  So another thread only asks, and the worker releases them
// between two rounds of its loop.
void ReleaseVoicesFromHost() {
  const bool workerRunning =
      WorkerThread != nullptr && WaitForSingleObject(WorkerThread, 0) == WAIT_TIMEOUT;
  if (workerRunning && GetCurrentThreadId() != WorkerThreadId)
    RequestVoiceRelease();
  else
    ReleaseVoices();
}

// A detach through the exported entry, while the library stays loaded, is
// taken as the host's exit event: the worker releases its voices between
// rounds and goes on, and the real detach later finds nothing left to do.
void DetachPlugin(bool processTerminating) {
  // The C runtime also calls the entry with DETACH after a refused attach:
  // nothing was started then, so there is nothing to say or release.
  if (!Started) return;
  // At process exit the other threads are already gone, possibly in the
  // middle of a COM call or of a log write: the log takes no lock from here
  // on and writes every waiting line on this thread, and nothing else is
  // touched.
  if (processTerminating) LogFromTheLastThread();
  LOG_LINE("Unloading...");
  if (!processTerminating) ReleaseVoicesFromHost();
  StopLogWriter();
}
