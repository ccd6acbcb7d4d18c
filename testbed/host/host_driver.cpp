#include "host/host_driver.h"

#include <tlhelp32.h>
#include <cstdint>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {
char reportPath[MAX_PATH] = "host-report.txt";

struct Options {
  const char* plugin = nullptr;
  bool loadMldr = true;
  bool runConfig = false;
  const char* waitLog = nullptr;
  DWORD holdMs = 0;
  bool exitEvent = true;
  bool freeLibrary = false;
  bool reenter = false;
};

Options Parse(int argc, char** argv) {
  Options o;
  for (int i = 1; i < argc; ++i) {
    const char* a = argv[i];
    auto next = [&]() -> const char* { return i + 1 < argc ? argv[++i] : ""; };
    if (!strcmp(a, "--plugin")) o.plugin = next();
    else if (!strcmp(a, "--no-mldr")) o.loadMldr = false;
    else if (!strcmp(a, "--report")) lstrcpynA(reportPath, next(), sizeof reportPath);
    else if (!strcmp(a, "--run-config")) o.runConfig = true;
    else if (!strcmp(a, "--wait-log")) o.waitLog = next();
    else if (!strcmp(a, "--hold-ms")) o.holdMs = strtoul(next(), nullptr, 10);
    else if (!strcmp(a, "--no-exit-event")) o.exitEvent = false;
    else if (!strcmp(a, "--free")) o.freeLibrary = true;
    else if (!strcmp(a, "--reenter")) o.reenter = true;
  }
  return o;
}

// A message box must never hold up a run: MessageBoxA is redirected here,
// records what it was asked to show and answers OK.
int WINAPI RecordMessageBox(HWND, LPCSTR text, LPCSTR caption, UINT style) {
  char escaped[2048];
  int n = 0;
  for (const char* p = text; p && *p && n < (int)sizeof escaped - 3; ++p) {
    if (*p == '\r') { escaped[n++] = '\\'; escaped[n++] = 'r'; }
    else if (*p == '\n') { escaped[n++] = '\\'; escaped[n++] = 'n'; }
    else escaped[n++] = *p;
  }
  escaped[n] = 0;
  Report("messagebox.caption=%s", caption ? caption : "");
  Report("messagebox.text=%s", escaped);
  Report("messagebox.style=0x%X", style);
  return IDOK;
}

void RedirectMessageBox() {
  BYTE* target = reinterpret_cast<BYTE*>(GetProcAddress(LoadLibraryA("user32.dll"), "MessageBoxA"));
  DWORD old;
  VirtualProtect(target, 5, PAGE_EXECUTE_READWRITE, &old);
  target[0] = 0xE9;  // jmp RecordMessageBox
  *reinterpret_cast<int32_t*>(target + 1) =
      reinterpret_cast<BYTE*>(&RecordMessageBox) - (target + 5);
  VirtualProtect(target, 5, old, &old);
  FlushInstructionCache(GetCurrentProcess(), target, 5);
}

int CountOwnThreads() {
  HANDLE snap = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
  THREADENTRY32 e{};
  e.dwSize = sizeof e;
  int count = 0;
  for (BOOL ok = Thread32First(snap, &e); ok; ok = Thread32Next(snap, &e))
    if (e.th32OwnerProcessID == GetCurrentProcessId()) ++count;
  CloseHandle(snap);
  return count;
}

HMODULE loadedPlugin;
bool loadingThreadEndedInside;

// Whether a module of that path is mapped, asked without the loader lock.
bool ModuleMapped(const char* path) {
  const char* name = strrchr(path, '\\') ? strrchr(path, '\\') + 1 : path;
  HANDLE snap = CreateToolhelp32Snapshot(TH32CS_SNAPMODULE, 0);
  MODULEENTRY32 e{};
  e.dwSize = sizeof e;
  bool found = false;
  for (BOOL ok = Module32First(snap, &e); ok && !found; ok = Module32Next(snap, &e))
    found = lstrcmpiA(e.szModule, name) == 0;
  CloseHandle(snap);
  return found;
}
DWORD WINAPI LoadPluginThread(void* path) {
  loadedPlugin = LoadLibraryA(static_cast<const char*>(path));
  return loadedPlugin ? 1 : 2;
}

// How often `text` stands in the file at `path` (0 without the file).
int TimesInFile(const char* path, const char* text) {
  HANDLE f = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
  if (f == INVALID_HANDLE_VALUE) return 0;
  static char buffer[1 << 20];
  DWORD got = 0;
  ReadFile(f, buffer, sizeof buffer - 1, &got, nullptr);
  CloseHandle(f);
  buffer[got] = 0;
  int times = 0;
  for (const char* at = buffer; (at = strstr(at, text)) != nullptr; at += strlen(text)) ++times;
  return times;
}

// The loader's list in the game folder: section "ModulesList" of
// ModuleLoader.ini, one key per library, valued "1<dir>description" with dir
// relative to the game folder or absolute.  The first such entry is the
// module; without the file the plug-in beside the program is (plugin set,
// false returned).  A file that lists no module leaves plugin empty.
bool ModuleFromLoaderList(const char* gameDir, char* plugin) {
  char ini[MAX_PATH];
  wsprintfA(ini, "%sModuleLoader.ini", gameDir);
  if (GetFileAttributesA(ini) == INVALID_FILE_ATTRIBUTES) {
    wsprintfA(plugin, "%sVandrel.dll", gameDir);
    return false;
  }
  plugin[0] = 0;
  char keys[4096] = {};
  GetPrivateProfileStringA("ModulesList", nullptr, "", keys, sizeof keys, ini);
  for (const char* key = keys; *key; key += lstrlenA(key) + 1) {
    char value[512];
    GetPrivateProfileStringA("ModulesList", key, "", value, sizeof value, ini);
    const char* close = strchr(value, '>');
    if (value[0] != '1' || value[1] != '<' || !close) continue;
    const std::string dir(static_cast<const char*>(value) + 2, close);
    const bool absolute = dir.size() >= 2 && (dir[1] == ':' || (dir[0] == '\\' && dir[1] == '\\'));
    const std::string path = (absolute ? "" : std::string(gameDir)) + dir + key;
    lstrcpynA(plugin, path.c_str(), MAX_PATH);
    Report("loader_list.%s=%s", key, value);
    return true;
  }
  return false;
}

template <typename F>
F Export(HMODULE m, const char* name) {
  return reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(m, name)));
}
}  // namespace

void Report(const char* format, ...) {
  char line[4096];
  va_list args;
  va_start(args, format);
  vsnprintf(line, sizeof line - 2, format, args);
  va_end(args);
  lstrcatA(line, "\n");
  HANDLE f = CreateFileA(reportPath, FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS, 0, nullptr);
  DWORD written;
  WriteFile(f, line, lstrlenA(line), &written, nullptr);
  CloseHandle(f);
}

int ExitHost(int code) {
  if (loadingThreadEndedInside) TerminateProcess(GetCurrentProcess(), code);
  return code;
}

int RunHost(int argc, char** argv, void (*beforeLoad)(), void (*afterStart)()) {
  Options o = Parse(argc, argv);
  DeleteFileA(reportPath);
  RedirectMessageBox();

  char exeDir[MAX_PATH];
  GetModuleFileNameA(nullptr, exeDir, sizeof exeDir);
  *(strrchr(exeDir, '\\') + 1) = 0;
  char plugin[MAX_PATH];
  if (o.plugin) {
    lstrcpynA(plugin, o.plugin, sizeof plugin);
  } else if (!ModuleFromLoaderList(exeDir, plugin)) {
    if (plugin[0] == 0) {
      Report("load=not-listed");
      return 0;
    }
  }
  Report("module=%s", plugin);

  const char* logPath = nullptr;
  if (o.loadMldr) {
    char mldr[MAX_PATH];
    wsprintfA(mldr, "%sMLDRLib.dll", exeDir);
    HMODULE m = LoadLibraryA(mldr);
    Report("mldr=%s", m ? "loaded" : "missing");
    // The log lies beside the library (see mldrlib.cpp); not asked of
    // WriteLogFile, whose convention differs between the two builds.
    static char log[MAX_PATH];
    if (m) {
      GetModuleFileNameA(m, log, sizeof log);
      lstrcpyA(strrchr(log, '\\') + 1, "ModuleLoader.log");
      logPath = log;
    }
  }
  if (beforeLoad) beforeLoad();
  // The log may hold an earlier run's lines: the wait is for one more.
  const int waitedBefore = o.waitLog && logPath ? TimesInFile(logPath, o.waitLog) : 0;

  const int threadsBefore = CountOwnThreads();
  DWORD loaderExit = 0;
  HANDLE t = CreateThread(nullptr, 0, LoadPluginThread, plugin, 0, nullptr);
  WaitForSingleObject(t, 60000);
  GetExitCodeThread(t, &loaderExit);
  CloseHandle(t);
  Report("load=%s", loaderExit == 1 ? "ok" : loaderExit == 0 ? "unloaded-itself" : "failed");
  // A thread that ended inside its LoadLibrary call took the loader lock with
  // it: from here on nothing may wait for that lock, process exit included.
  loadingThreadEndedInside = loaderExit == 0;
  Report("plugin.loaded=%d", loadingThreadEndedInside ? ModuleMapped(plugin) : GetModuleHandleA(plugin) != nullptr);
  Report("threads.added=%d", CountOwnThreads() - threadsBefore);
  if (loaderExit != 1) return 0;

  HMODULE p = loadedPlugin;
  Report("version=%u", Export<uint32_t(__stdcall*)()>(p, "ModGetVersion")());
  Report("parameters=%u", Export<uint32_t(__stdcall*)()>(p, "ModGetParameters")());
  Report("shell_name=%s", Export<const char*(__stdcall*)()>(p, "ModGetConfigShellName")());
  Export<uint32_t(__stdcall*)()>(p, "ModEventOnHostStart")();
  if (o.waitLog && logPath) {
    // Judged by the read that ended the wait: the writer rewrites the whole
    // file for each line, so a second read may catch it half written.
    DWORD waited = 0;
    bool found = false;
    while (!(found = TimesInFile(logPath, o.waitLog) > waitedBefore) && waited < 60000) {
      Sleep(50);
      waited += 50;
    }
    Report("wait_log=%s", found ? "found" : "timeout");
  }
  if (o.reenter) {
    // A loader that calls the exported entry itself, while the plug-in runs.
    using EntryFn = BOOL(__stdcall*)(HINSTANCE, DWORD, void*);
    EntryFn entry = Export<EntryFn>(p, "DLLMain");
    Report("reenter.attach=%d", entry(p, DLL_PROCESS_ATTACH, nullptr));
    Report("reenter.detach=%d", entry(p, DLL_PROCESS_DETACH, nullptr));
  }
  if (afterStart) afterStart();
  if (o.runConfig) Report("run_config=%u", Export<uint32_t(__stdcall*)(uint32_t)>(p, "ModRunConfigShell")(0));
  if (o.holdMs) Sleep(o.holdMs);
  if (o.exitEvent) Export<uint32_t(__stdcall*)()>(p, "ModEventOnHostExit")();
  if (o.freeLibrary) Report("free=%d", FreeLibrary(p));
  Report("done=1");
  return 0;
}
