// The plug-in's trace: one entry per line in the host's log file (a profile
// file), section "Quorrim", key "<counter>_<d>.<m>.<y>_<h>:<m>:<s>:<ms>".
#pragma once
#include <cstdint>
#include "plugin/frame/plugin_state.h"

using LogSink = int(__stdcall*)(const char* text);

extern "C" int __stdcall ModWriteLogFile(const char* text);

// Formats the key of the next line into buffer (64 bytes) and counts the line.
char* MakeLogKey(char* buffer);

// Formats by the wsprintfA rules (at most 1023 characters) and hands the text
// to sink.
void LogLine(const char* format, LogSink sink, ...);

// The counter of the next line (for tests).
uint32_t LogLineCounter();

inline bool LoggingOn() { return LogFilePath[0] != 0; }

// Writes one formatted line when logging is on; costs one byte test when off.
#define PLUGIN_LOG(...)                                   \
  do {                                                    \
    if (LoggingOn()) LogLine(__VA_ARGS__);                \
  } while (0)
#define LOG_LINE(format, ...) PLUGIN_LOG(format, ModWriteLogFile __VA_OPT__(, ) __VA_ARGS__)
