#include "plugin/frame/log.h"

#include <windows.h>
#include <cstdarg>
#include <cstring>

namespace {
// Shared by every thread that logs; each line takes the next number.
volatile LONG lineCounter = 0;

constexpr int MaxMessage = 1023;  // what wsprintfA produces at most
}  // namespace

char* MakeLogKey(char* buffer) {
  SYSTEMTIME t;
  GetLocalTime(&t);
  const LONG counter = InterlockedExchangeAdd(&lineCounter, 1);
  wsprintfA(buffer, "%u_%u.%u.%u_%u:%u:%u:%u", static_cast<unsigned>(counter), t.wDay, t.wMonth, t.wYear,
            t.wHour, t.wMinute, t.wSecond, t.wMilliseconds);
  return buffer;
}

uint32_t LogLineCounter() { return static_cast<uint32_t>(lineCounter); }

extern "C" int __stdcall ModWriteLogFile(const char* text) {
  if (!LoggingOn() || text == nullptr) return 0;
  // The host may hand us longer text than our own lines can be: cut it the
  // same way.
  char value[MaxMessage + 1];
  lstrcpynA(value, text, sizeof value);
  char key[64];
  MakeLogKey(key);
  return WritePrivateProfileStringA(ProductName, key, value, LogFilePath);
}

void LogLine(const char* format, LogSink sink, ...) {
  char buffer[2048];
  va_list args;
  va_start(args, sink);
  wvsprintfA(buffer, format, args);
  va_end(args);
  buffer[MaxMessage] = 0;
  sink(buffer);
}
